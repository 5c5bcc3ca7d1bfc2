# The platform layer's Windows tests (probes, services, processes, the installer runner with
# the fixture stand-ins). They run in a Wine prefix of their own, made fresh for each test
# run, so what they write to the registry and the service manager starts clean.
set(LIRRA_WIN32_TEST_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/wine-prefix)
# lirra_fresh_prefix(<fixture> <prefix> <kind>): a test that ends the prefix's wineserver and removes it.
function(lirra_fresh_prefix fixture prefix kind)
  add_test(NAME ${fixture}_fresh
           COMMAND sh -c "LIRRA_WINE_ARCH=${kind} LIRRA_WINEPREFIX='${prefix}' '${PROJECT_SOURCE_DIR}/scripts/wine.sh' stop; rm -rf '${prefix}'")
  set_tests_properties(${fixture}_fresh PROPERTIES FIXTURES_SETUP ${fixture})
endfunction()
lirra_fresh_prefix(win32_prefix ${LIRRA_WIN32_TEST_PREFIX} ${LIRRA_OWN_WINE_ARCH})

add_executable(win32_probe_helper win32_probe_helper.cpp $<TARGET_OBJECTS:lirra_compat>)
target_link_libraries(win32_probe_helper PRIVATE lirra_browser)
target_link_options(win32_probe_helper PRIVATE -mconsole -municode)

function(lirra_win32_test name)
  lirra_test(${name} FLOOR app SOURCES ${name}.cpp)
  add_dependencies(${name} win32_probe_helper lirra_fixture_installer lirra_fixture_cardx lirra_fixture_service)
  target_compile_definitions(${name} PRIVATE
    WIN32_PROBE_HELPER="$<TARGET_FILE:win32_probe_helper>"
    FIXTURE_INSTALLERS_DIR="${LIRRA_FIXTURE_INSTALLERS_DIR}"
    FIXTURE_CARDX="$<TARGET_FILE:lirra_fixture_cardx>"
    FIXTURE_SERVICE="$<TARGET_FILE:lirra_fixture_service>")
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "LIRRA_WINEPREFIX=${LIRRA_WIN32_TEST_PREFIX}")
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED win32_prefix)
endfunction()

lirra_win32_test(win32_probes_test)
lirra_win32_test(win32_services_test)
lirra_win32_test(win32_processes_test)
lirra_win32_test(win32_dll_search_test)
lirra_win32_test(win32_doctor_test)
add_dependencies(win32_doctor_test lirractl)
target_compile_definitions(win32_doctor_test PRIVATE LIRRACTL_PATH="$<TARGET_FILE:lirractl>")

# Crash reports: a small program that faults as asked (on its main thread, on threads of each
# kind, by a C++ exception nothing catches), and the client faulting on purpose.
add_executable(crash_probe crash_probe.cpp $<TARGET_OBJECTS:lirra_compat>)
target_link_libraries(crash_probe PRIVATE lirra_store)
target_link_options(crash_probe PRIVATE -mconsole -municode)
lirra_test(crash_report_test FLOOR app SOURCES crash_report_test.cpp GUI)
add_dependencies(crash_report_test crash_probe lirra lirractl)
target_compile_definitions(crash_report_test PRIVATE CRASH_PROBE_PATH="$<TARGET_FILE:crash_probe>"
                           LIRRA_CLIENT_PATH="$<TARGET_FILE:lirra>" LIRRACTL_PATH="$<TARGET_FILE:lirractl>")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The tests whose results differ by the width of the program and of Windows: in the 32-bit
  # prefix above, and again under WOW64 in a 64-bit prefix of their own (the registry views, the
  # processor, the redirected system folder, the process list and lirractl's report as a 32-bit
  # program on 64-bit Windows sees them).
  set(bitness_tests win32_probes_test win32_processes_test win32_dll_search_test win32_doctor_test)
  set_property(TEST ${bitness_tests} xp_compat_test APPEND PROPERTY LABELS road32)
  set(LIRRA_WOW64_TEST_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/wine64-prefix)
  lirra_fresh_prefix(win32_wow64_prefix ${LIRRA_WOW64_TEST_PREFIX} win64)
  foreach(name ${bitness_tests})
    add_test(NAME ${name}_wow64 COMMAND ${name})
    set_tests_properties(${name}_wow64 PROPERTIES
      ENVIRONMENT "LIRRA_SOURCE_DIR=${PROJECT_SOURCE_DIR};LIRRA_BINARY_DIR=${PROJECT_BINARY_DIR};LIRRA_WINE_ARCH=win64;LIRRA_WINEPREFIX=${LIRRA_WOW64_TEST_PREFIX}"
      TIMEOUT 300 LABELS road32 FIXTURES_REQUIRED win32_wow64_prefix)
  endforeach()
  # Crash reports of a 32-bit client on 64-bit Windows (its dbghelp, its exception dispatch).
  add_test(NAME crash_report_test_wow64 COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-display.sh
                                                ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:crash_report_test>)
  set_tests_properties(crash_report_test_wow64 PROPERTIES
    ENVIRONMENT "LIRRA_SOURCE_DIR=${PROJECT_SOURCE_DIR};LIRRA_BINARY_DIR=${PROJECT_BINARY_DIR};LIRRA_WINE_ARCH=win64;LIRRA_WINEPREFIX=${LIRRA_WOW64_TEST_PREFIX}"
    TIMEOUT 300 LABELS "road32;gui" FIXTURES_REQUIRED win32_wow64_prefix)
  list(APPEND bitness_tests crash_report_test)
endif()
