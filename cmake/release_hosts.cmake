# Which built-in host values a shop's client must never carry: empty ones and loopback ones
# (127.0.0.0/8, localhost, ::1), with or without a port. Kept apart from release.cmake so a
# test can run it with cmake -P.

# Sets OUT to a reason when VALUE is no host a shop's client can use, or to "" when it is.
function(lirra_host_problem value out)
  string(STRIP "${value}" v)
  string(TOLOWER "${v}" v)
  if(v STREQUAL "")
    set(${out} "is empty" PARENT_SCOPE)
    return()
  endif()
  # The host without its port: [v6]:port, a bare v6 address, or name:port.
  if(v MATCHES "^\\[([^]]*)\\]")
    set(host "${CMAKE_MATCH_1}")
  elseif(v MATCHES ":.*:")
    set(host "${v}")
  else()
    string(REGEX REPLACE ":[0-9]*$" "" host "${v}")
  endif()
  string(REGEX REPLACE "\\.$" "" host "${host}")
  if(host MATCHES "^127\\.[0-9.]*$" OR host STREQUAL "localhost" OR host MATCHES "\\.localhost$"
     OR host MATCHES "^[0:]*:0*1$" OR host MATCHES "^::ffff:127\\.")
    set(${out} "is a loopback address" PARENT_SCOPE)
    return()
  endif()
  set(${out} "" PARENT_SCOPE)
endfunction()
