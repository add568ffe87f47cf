# cmake -DREADME=... -DVERSION=... -P readme_version.cmake: the README tells
# readers which version they have; it must name the one the build makes, and
# no other.
file(READ "${README}" text)
string(REGEX MATCHALL "Version [0-9]+(\\.[0-9]+)+" named "${text}")
if(NOT named)
  message(FATAL_ERROR "${README} names no version; the program is version ${VERSION}")
endif()
foreach(mention IN LISTS named)
  if(NOT mention STREQUAL "Version ${VERSION}")
    message(FATAL_ERROR "${README} says '${mention}', but the program is version ${VERSION}")
  endif()
endforeach()
