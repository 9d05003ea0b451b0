# Runs one fuzz target for a short time over a scratch copy of its seed corpus, so that new
# inputs and crash files land in the build tree, never in the sources.
#   cmake -DFUZZER=... -DCORPUS=... -DSCRATCH=... -DSECONDS=... [-DMAX_LEN=...]
#         [-DLEAK_SUPPRESSIONS=file] -P run_fuzzer.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/corpus" "${SCRATCH}/artifacts")
if(EXISTS "${CORPUS}")
  file(COPY "${CORPUS}/" DESTINATION "${SCRATCH}/corpus")
endif()
set(options -max_total_time=${SECONDS} -print_final_stats=1)
if(MAX_LEN)
  list(APPEND options -max_len=${MAX_LEN})
endif()
if(LEAK_SUPPRESSIONS)
  set(ENV{LSAN_OPTIONS} "suppressions=${LEAK_SUPPRESSIONS}")
endif()
execute_process(
  COMMAND "${FUZZER}" ${options}
          "-artifact_prefix=${SCRATCH}/artifacts/" "${SCRATCH}/corpus"
  WORKING_DIRECTORY "${SCRATCH}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found "${SCRATCH}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} failed (${result}); inputs: ${found}\n"
                      "Copy an input into fuzz/crashes/<target>/ so that CTest replays it.")
endif()
