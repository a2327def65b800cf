# Runs "velmora-stereo restore <the one backup in DIR> ARGS..." and prints
# what it said; fails when DIR does not hold exactly one backup or the tool
# fails. The backup's name holds the time it was taken, so the test cannot
# name it itself. Used with -DTOOL=... -DDIR=... -DROOT=... (the drive prefix
# the program sees the build tree under) -DEMULATOR=a|b|c -DARGS=a|b|c.
file(GLOB records "${DIR}/*.rec")
list(LENGTH records count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one backup in ${DIR}, found ${count}: ${records}")
endif()
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND ${emulator} ${TOOL} restore "${ROOT}${records}" ${arguments}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "velmora-stereo restore exited with ${status}")
endif()
