# The release build: refuses the demo's loopback hosts, and keeps each program's symbols in a
# file beside it (NAME.exe.debug, found by gdb through the debug link) while the program ships
# stripped.
include(${CMAKE_CURRENT_LIST_DIR}/release_hosts.cmake)

# Debug information changes no code; it only fills the file kept beside the program.
add_compile_options(-g)
# Each function in a section of its own, so the linker drops what nothing calls.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

function(lirra_check_release_hosts)
  if(LIRRA_DEMO)
    message(STATUS "Demo release: the built-in hosts are not checked")
    return()
  endif()
  set(problems)
  foreach(name LIRRA_PLATFORM_HOST LIRRA_DOWNLOAD_HOST LIRRA_PRIMARY_DOMAIN LIRRA_PAYMENT_DOMAIN LIRRA_SUPPORT_HOST)
    lirra_host_problem("${${name}}" problem)
    if(problem)
      string(APPEND problems "\n  ${name} ${problem} (\"${${name}}\")")
    endif()
  endforeach()
  if(problems)
    message(FATAL_ERROR "A release build must point at the shop's real servers:${problems}\n"
                        "Set each with -D<NAME>=host[:port] on the configure line, or add -DLIRRA_DEMO=ON "
                        "for a demo build that talks to the bundled shop server.")
  endif()
endfunction()

function(lirra_split_debug_info target)
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "A release build needs objcopy to keep the symbols apart")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Keeping the symbols of ${target} in $<TARGET_FILE_NAME:${target}>.debug"
    VERBATIM)
endfunction()
