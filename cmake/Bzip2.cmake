# libbz2 1.0.8 from Debian's source package (fetched by scripts/setup.sh), built with the
# cross compiler and linked statically. Only the seven library sources are compiled.
set(ZR_BZIP2_DIR "${ZR_THIRD_PARTY_DIR}/bzip2-1.0.8")
if(NOT EXISTS "${ZR_BZIP2_DIR}/bzlib.c")
  message(FATAL_ERROR "bzip2 source not found in ${ZR_BZIP2_DIR}: run scripts/setup.sh")
endif()
add_library(zr_bz2 STATIC
  ${ZR_BZIP2_DIR}/blocksort.c ${ZR_BZIP2_DIR}/huffman.c ${ZR_BZIP2_DIR}/crctable.c
  ${ZR_BZIP2_DIR}/randtable.c ${ZR_BZIP2_DIR}/compress.c ${ZR_BZIP2_DIR}/decompress.c
  ${ZR_BZIP2_DIR}/bzlib.c)
target_include_directories(zr_bz2 SYSTEM PUBLIC ${ZR_BZIP2_DIR})
# Third-party code: its own warnings are not ours to fix.
target_compile_options(zr_bz2 PRIVATE -w)
