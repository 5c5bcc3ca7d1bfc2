# The platform layer's Windows tests (probes, services, processes, the installer runner with
# the fixture stand-ins). They run in a Wine prefix of their own, made fresh for each test
# run, so what they write to the registry and the service manager starts clean.
set(LIRRA_WIN32_TEST_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/wine-prefix)
add_test(NAME win32_fresh_prefix
         COMMAND sh -c "WINEPREFIX='${LIRRA_WIN32_TEST_PREFIX}' wineserver -k 2>/dev/null; rm -rf '${LIRRA_WIN32_TEST_PREFIX}'")
set_tests_properties(win32_fresh_prefix PROPERTIES FIXTURES_SETUP win32_prefix)

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
