# The release exe (or its console twin) stays lean: its stripped size must
# not pass the budget.
#   cmake -DEXE=<exe> -DSTRIP=<strip> -DBUDGET=<bytes> -P exe_size.cmake
get_filename_component(name ${EXE} NAME)
set(stripped ${CMAKE_CURRENT_BINARY_DIR}/stripped-${name})
execute_process(COMMAND ${STRIP} -o ${stripped} ${EXE} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${STRIP} could not strip ${EXE}")
endif()
file(SIZE ${stripped} size)
file(REMOVE ${stripped})
if(size GREATER BUDGET)
    message(FATAL_ERROR "${name} stripped is ${size} bytes, more than its budget of ${BUDGET}")
endif()
message(STATUS "${name} stripped is ${size} bytes (budget ${BUDGET})")
