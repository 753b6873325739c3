# The Windows program: resources, the platform layer, the front end and the exe.
enable_language(RC)

add_library(resources OBJECT res/app.rc)
target_include_directories(resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(res/app.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/crest.bmp;${CMAKE_SOURCE_DIR}/res/tray.ico;${CMAKE_SOURCE_DIR}/res/resource.h")

add_library(platform STATIC platform/platform.cpp)
target_include_directories(platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(platform PUBLIC user32 shell32)

# The real Shell_NotifyIconA; tests that must see the exact record link a recorder instead.
add_library(platform_shell STATIC platform/shell.cpp)
target_link_libraries(platform_shell PUBLIC platform)

add_library(ui STATIC ui/main_dialog.cpp ui/tray_icon.cpp)
target_link_libraries(ui PUBLIC core platform)

add_executable(Quintabela_Timer WIN32 ui/main.cpp $<TARGET_OBJECTS:resources>)
target_link_libraries(Quintabela_Timer PRIVATE ui platform_shell)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # One self-contained file for users: no symbols, no unused sections.
  target_compile_options(Quintabela_Timer PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(Quintabela_Timer PRIVATE -s -Wl,--gc-sections)
endif()

# Drives the program into a state worth a picture for tools/screenshot.
add_executable(demo_driver tools/demo_driver.cpp)
target_include_directories(demo_driver PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(demo_driver Quintabela_Timer)
