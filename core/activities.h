#pragma once
// The fixed vocabulary: the seven actions and the five vehicles of a journey.

#include <array>
#include <cstddef>
#include <cstdint>

enum class ActivityId : std::uint8_t { Crime, Carro, Voar, Heist, Oc, Balas, Matar };
inline constexpr std::size_t ActivityCount = 7;

enum class DisplayFormat : std::uint8_t { MinSec, HourMinSec };

// Title and body of the balloon raised when an action becomes ready.
struct ExpiryNotice {
    const char *title; // at most 63 bytes
    const char *text;  // at most 255 bytes
};

struct ActivitySpec {
    ActivityId id;
    const char *caption; // also the notice title
    std::int32_t period; // seconds; 0 for Voar, whose duration comes from the vehicle
    DisplayFormat format;
    const char *noticeText;
};

struct VehicleChoice {
    const char *caption;
    std::int32_t duration; // seconds
};

// Texts are Windows-1252: "T\xE1s" is "Tás".
inline constexpr std::array<ActivitySpec, ActivityCount> ActivityTable{{
    {ActivityId::Crime, "Crime", 90, DisplayFormat::MinSec, "T\xE1s pronto para um crime !"},
    {ActivityId::Carro, "Carro", 300, DisplayFormat::MinSec, "T\xE1s pronto para roubar um carro !"},
    {ActivityId::Voar, "Voar", 0, DisplayFormat::HourMinSec, "T\xE1s pronto para voar !"},
    {ActivityId::Heist, "Heist", 10800, DisplayFormat::HourMinSec, "T\xE1s pronto para um Heist !"},
    {ActivityId::Oc, "OC", 43200, DisplayFormat::HourMinSec, "T\xE1s pronto para um OC !"},
    {ActivityId::Balas, "Balas", 3600, DisplayFormat::HourMinSec, "T\xE1s pronto para comprar balas !"},
    {ActivityId::Matar, "Matar", 3600, DisplayFormat::HourMinSec, "T\xE1s pronto para Matar !"},
}};

// The order is the vehicle list's order: a list position indexes this table directly.
inline constexpr std::array<VehicleChoice, 5> VehicleTable{{
    {"Comboio", 4500},
    {"Fokker DR 1", 3000},
    {"Havilland DH 82A", 2880},
    {"Fleet 7", 2400},
    {"Douglas DC-3", 1800},
}};

inline constexpr const char *ReadyText = "AGORA";

constexpr std::size_t indexOf(ActivityId a) {
    return static_cast<std::size_t>(a);
}
constexpr const ActivitySpec &specOf(ActivityId a) {
    return ActivityTable[indexOf(a)];
}
constexpr ExpiryNotice noticeOf(ActivityId a) {
    return {specOf(a).caption, specOf(a).noticeText};
}
