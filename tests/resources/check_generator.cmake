# Runs the skin generator into a scratch folder and fails unless every file it
# writes equals the committed one byte for byte.
#   cmake -DGENERATOR=<exe> -DFONT_DIR=<dir> -DCOMMITTED=<resources dir>
#         -DSCRATCH=<dir> -P check_generator.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${GENERATOR} ${FONT_DIR} ${SCRATCH} --no-preview RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "skin generator failed: ${rc}")
endif()

file(GLOB made RELATIVE ${SCRATCH} ${SCRATCH}/bitmaps/*.bmp)
file(GLOB committed RELATIVE ${COMMITTED} ${COMMITTED}/bitmaps/*.bmp)
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
    message(FATAL_ERROR "generated bitmaps ${made} differ from committed ${committed}")
endif()
list(APPEND made sans_font12.cpp)
foreach(f IN LISTS made)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/${f} ${COMMITTED}/${f}
                    RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${f} differs from the committed file; run the `skin` target")
    endif()
endforeach()
