# libsodium 1.0.18 from Debian's source package (fetched by scripts/setup.sh), built
# from a list of the few sources the launcher and the patch builder need: Ed25519
# signing and verification, SHA-256 and SHA-512, the constant-time compare, the memory
# helpers and the system random source (keys are made by the patch builder only).
# The same list is compiled by both builds, so the native tests run the library code
# that goes into zr.exe. Its release tarball has no configure output: the few
# settings it needs are given here, and version.h is written from version.h.in.
set(ZR_SODIUM_DIR "${ZR_THIRD_PARTY_DIR}/libsodium-1.0.18/src/libsodium")
if(NOT EXISTS "${ZR_SODIUM_DIR}/crypto_sign/ed25519/ref10/open.c")
  message(FATAL_ERROR "libsodium source not found in ${ZR_SODIUM_DIR}: run scripts/setup.sh")
endif()

set(VERSION 1.0.18)
set(SODIUM_LIBRARY_VERSION_MAJOR 10)
set(SODIUM_LIBRARY_VERSION_MINOR 3)
set(SODIUM_LIBRARY_MINIMAL_DEF "")
configure_file(${ZR_SODIUM_DIR}/include/sodium/version.h.in
               ${CMAKE_BINARY_DIR}/sodium/include/sodium/version.h @ONLY)

set(ZR_SODIUM_SOURCES
  crypto_sign/ed25519/sign_ed25519.c
  crypto_sign/ed25519/ref10/keypair.c
  crypto_sign/ed25519/ref10/open.c
  crypto_sign/ed25519/ref10/sign.c
  crypto_core/ed25519/ref10/ed25519_ref10.c
  crypto_hash/sha256/hash_sha256.c
  crypto_hash/sha256/cp/hash_sha256_cp.c
  crypto_hash/sha512/hash_sha512.c
  crypto_hash/sha512/cp/hash_sha512_cp.c
  crypto_verify/sodium/verify.c
  crypto_stream/chacha20/stream_chacha20.c
  crypto_stream/chacha20/ref/chacha20_ref.c
  randombytes/randombytes.c
  randombytes/sysrandom/randombytes_sysrandom.c
  sodium/utils.c)
list(TRANSFORM ZR_SODIUM_SOURCES PREPEND "${ZR_SODIUM_DIR}/")
add_library(zr_sodium STATIC ${ZR_SODIUM_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/sodium/misuse.c)
# Both targets are x86-64: little-endian, with 128-bit integers for the 64-bit field code.
target_compile_definitions(zr_sodium PRIVATE CONFIGURED=1 NATIVE_LITTLE_ENDIAN=1 HAVE_TI_MODE=1
                           PUBLIC SODIUM_STATIC=1)
target_include_directories(zr_sodium PRIVATE ${ZR_SODIUM_DIR}/include/sodium)
target_include_directories(zr_sodium SYSTEM PUBLIC ${ZR_SODIUM_DIR}/include
                           ${CMAKE_BINARY_DIR}/sodium/include)
# Third-party code: its own warnings are not ours to fix.
target_compile_options(zr_sodium PRIVATE -w)
