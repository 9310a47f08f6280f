# Fails when any core source names a Qt header or type namespace.
file(GLOB_RECURSE files ${DIR}/*.cpp ${DIR}/*.h)
foreach(f ${files})
  file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
  if(hits)
    message(SEND_ERROR "${f}: ${hits}")
  endif()
endforeach()
