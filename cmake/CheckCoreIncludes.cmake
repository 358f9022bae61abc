# Fails when a core source (model, link, sim, the eq math) includes a Qt header.
file(GLOB_RECURSE core_files ${ROOT}/model/*.[ch]* ${ROOT}/link/*.[ch]* ${ROOT}/sim/*.[ch]*
     ${ROOT}/eq/*.[ch]*)
list(FILTER core_files EXCLUDE REGEX "/eq/CFStatic[^/]*$|CMakeLists.txt$")
foreach(file ${core_files})
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
    if(hits)
        message(FATAL_ERROR "${file} includes a Qt header: ${hits}")
    endif()
endforeach()
