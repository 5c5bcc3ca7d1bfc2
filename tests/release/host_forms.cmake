# The host values a release build refuses and those it takes, checked against the release
# preset's own rule (cmake/release_hosts.cmake). Run with cmake -DSOURCE_DIR=... -P.
include(${SOURCE_DIR}/cmake/release_hosts.cmake)

set(refused
  "" "   " "127.0.0.1" "127.0.0.1:18080" "127.255.0.9:80" "localhost" "LocalHost:8080" "localhost."
  "shop.localhost" "::1" "[::1]" "[::1]:8080" "0:0:0:0:0:0:0:1" "::ffff:127.0.0.1")
set(taken
  "shop.example.com" "shop.example.com:8080" "203.0.113.7" "203.0.113.7:80" "[2001:db8::1]:80"
  "127.example.com" "localhost-shop.example.com" "pay.lirra.test")

set(wrong "")
foreach(value IN LISTS refused)
  lirra_host_problem("${value}" problem)
  if(NOT problem)
    string(APPEND wrong "\n  taken but should be refused: \"${value}\"")
  endif()
endforeach()
foreach(value IN LISTS taken)
  lirra_host_problem("${value}" problem)
  if(problem)
    string(APPEND wrong "\n  refused (${problem}) but should be taken: \"${value}\"")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "release host rule:${wrong}")
endif()
