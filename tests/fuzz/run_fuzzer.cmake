# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Runs a libFuzzer binary for SECONDS, or for the seconds the environment
# variable TROVEXA_FUZZ_SECONDS asks for.
# -DFUZZER=<binary> -DCORPUS=<folder> -DSECONDS=<default>
if(DEFINED ENV{TROVEXA_FUZZ_SECONDS})
    set(SECONDS "$ENV{TROVEXA_FUZZ_SECONDS}")
endif()
if(NOT SECONDS MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "TROVEXA_FUZZ_SECONDS must be a whole number of seconds: ${SECONDS}")
endif()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -max_len=4096 ${CORPUS}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a fault (${result}); the crashing input is in the test's folder")
endif()
