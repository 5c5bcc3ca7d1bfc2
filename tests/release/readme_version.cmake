# Fails unless the README names the version's one place with its current number.
file(READ "${README}" text)
string(FIND "${text}" "project(lirra VERSION ${VERSION})" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md does not say project(lirra VERSION ${VERSION}); update its release section")
endif()
