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
  # One self-contained file for users: no symbols, no unused sections. No link time either, so that the
  # same sources give the same bytes, which a player can check against a published sum.
  target_compile_options(Quintabela_Timer PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(Quintabela_Timer PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)

  # The program carries no application manifest, so that its controls keep the classic look. Some MinGW
  # GCCs (MSYS2's) link a default one into every program through their end files; those end files are
  # given again here without it. Where the object does not exist (Debian) the clause does nothing anyway.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpspecs OUTPUT_VARIABLE specs RESULT_VARIABLE failed)
  string(REGEX MATCH "\\*endfile:\n[^\n]*" endfile "${specs}")
  if(NOT failed AND endfile MATCHES "default-manifest")
    string(REPLACE "%{!shared:%:if-exists(default-manifest.o%s)}" "" endfile "${endfile}")
    if(endfile MATCHES "default-manifest")
      message(FATAL_ERROR "cannot leave the default manifest out of: ${endfile}")
    endif()
    file(WRITE ${CMAKE_BINARY_DIR}/no-default-manifest.specs "${endfile}\n\n")
    target_link_options(Quintabela_Timer PRIVATE "-specs=${CMAKE_BINARY_DIR}/no-default-manifest.specs")
  endif()
elseif(MSVC)
  # MSVC's linker embeds a manifest of its own unless told not to.
  target_link_options(Quintabela_Timer PRIVATE /MANIFEST:NO)
endif()

# Drives the program into a state worth a picture for tools/screenshot.
add_executable(demo_driver tools/demo_driver.cpp)
target_include_directories(demo_driver PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(demo_driver Quintabela_Timer)
