# Runs clang-format in check mode over every C++ file of the project.
file(GLOB_RECURSE sources
    ${SOURCE_DIR}/HalvaneProtocol/*.cpp ${SOURCE_DIR}/HalvaneProtocol/*.h
    ${SOURCE_DIR}/halvane-hook/*.cpp ${SOURCE_DIR}/halvane-hook/*.h
    ${SOURCE_DIR}/Halvane/*.cpp ${SOURCE_DIR}/Halvane/*.h
    ${SOURCE_DIR}/NotchKit/*.cpp ${SOURCE_DIR}/NotchKit/*.h
    ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
    ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.c
    ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h
)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
    RESULT_VARIABLE result ERROR_VARIABLE report)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Files need clang-format:\n${report}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files formatted")
