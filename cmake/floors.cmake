# The floors of src/, lowest first. pc and ui stand side by side: neither uses the other.
set(LIRRA_FLOORS platform pc ui store net drivers browser app)

# lirra_floor(<floor> SOURCES <portable...> [WIN32_SOURCES <files...>] [FLOORS <lower floors...>]
#             [LIBS <other libraries...>]): the floor's library, lirra_<floor>.
function(lirra_floor floor)
  cmake_parse_arguments(F "" "" "SOURCES;WIN32_SOURCES;FLOORS;LIBS" ${ARGN})
  add_library(lirra_${floor} STATIC ${F_SOURCES})
  if(WIN32 AND F_WIN32_SOURCES)
    target_sources(lirra_${floor} PRIVATE ${F_WIN32_SOURCES})
  endif()
  target_include_directories(lirra_${floor} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(lower ${F_FLOORS})
    target_link_libraries(lirra_${floor} PUBLIC lirra_${lower})
  endforeach()
  if(F_LIBS)
    target_link_libraries(lirra_${floor} PUBLIC ${F_LIBS})
  endif()
endfunction()
