# Fails the build when the program's link map shows members taken from the
# C++ standard library or the threads library: the program needs neither.
file(STRINGS "${MAP}" lines REGEX "(libstdc\\+\\+|libsupc\\+\\+|libwinpthread)[^/]*\\.a\\(")
if(lines)
  list(GET lines 0 first)
  message(FATAL_ERROR "tarnex.exe links the C++ standard library or the threads library:\n  ${first}")
endif()
