# quorlin-host's editor loads a bank saved by a render and, its window closed
# untouched, saves the very same bank: what the editor shows and saves is what
# the preset set. Needs an X server (the test runs under xvfb-run).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${status}): ${err}")
  endif()
endfunction()

file(REMOVE ${WORK}/rendered.fxb ${WORK}/edited.fxb)
run(${HOST} render --quiet --plugin ${MODULE} --tail 0 --program 2 --param 0=0.9 --param 6=0.35 --param 7=0.3
    ${SONG} ${WORK}/rendered.wav --save ${WORK}/rendered.fxb)
run(${HOST} editor --plugin ${MODULE} --preset ${WORK}/rendered.fxb --screenshot ${WORK}/edited.png --after 0
    --save ${WORK}/edited.fxb)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/rendered.fxb ${WORK}/edited.fxb RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "the editor saved another bank than the one it loaded")
endif()
