# The Windows program: resources, the platform layer, the front end and the exe.
enable_language(RC)

add_library(resources OBJECT res/app.rc)
target_include_directories(resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(res/app.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/crest.bmp;${CMAKE_SOURCE_DIR}/res/tray.ico;${CMAKE_SOURCE_DIR}/res/resource.h")

add_library(platform STATIC platform/windowing.cpp platform/display.cpp platform/process.cpp)
target_include_directories(platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(platform PUBLIC user32 gdi32 shell32)

# The real Shell_NotifyIconW; tests that must see the exact record link a recorder instead.
add_library(platform_shell STATIC platform/shell.cpp)
target_link_libraries(platform_shell PUBLIC platform)

add_library(ui STATIC ui/main_dialog.cpp ui/tray_icon.cpp ui/crest.cpp ui/one_copy.cpp ui/placement.cpp)
target_link_libraries(ui PUBLIC core platform)

add_executable(Quintabela_Timer WIN32 ui/main.cpp $<TARGET_OBJECTS:resources>)
target_link_libraries(Quintabela_Timer PRIVATE ui platform_shell)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # One self-contained file for users: no symbols, no unused sections. No link time either, so that the
  # same sources give the same bytes, which a player can check against a published sum.
  # -static here too, not only in the cross toolchain: MSYS2's GCC would otherwise import its own C++ and
  # GCC runtime DLLs, which a player's Windows does not have.
  target_compile_options(Quintabela_Timer PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(Quintabela_Timer PRIVATE -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
  # Every security flag Windows' own linker sets by default, named rather than left to the binutils version:
  # relocatable at a random, high address (ASLR), data not executable (DEP), and terminal-server aware.
  target_link_options(Quintabela_Timer PRIVATE
    -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--tsaware)

  # The program carries no application manifest, so that its controls keep the classic look. MSYS2's GCC
  # links default-manifest.o into every program when it finds one where it looks for its start files; an
  # empty object of that name, found first through -B, takes its place. Debian's compiler has no such
  # object, and the exe's bytes are the same with or without this.
  set(no_manifest ${CMAKE_BINARY_DIR}/no-default-manifest)
  file(WRITE ${no_manifest}/empty.cpp "")
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -c ${no_manifest}/empty.cpp -o ${no_manifest}/default-manifest.o
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot build ${no_manifest}/default-manifest.o")
  endif()
  target_link_options(Quintabela_Timer PRIVATE "-B${no_manifest}/")
elseif(MSVC)
  # MSVC's linker embeds a manifest of its own unless told not to.
  target_link_options(Quintabela_Timer PRIVATE /MANIFEST:NO)
endif()

# Drives the program into a state worth a picture for tools/screenshot.
add_executable(demo_driver tools/demo_driver.cpp)
target_include_directories(demo_driver PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(demo_driver Quintabela_Timer)
