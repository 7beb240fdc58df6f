# Warnings, floating-point determinism and the instruction set, applied to every target.
add_compile_options(-Wall -Wextra)
# Same results across compilers and builds: no contraction into FMA, never fast-math.
add_compile_options(-ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$" OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  # 32-bit x86 defaults to x87 arithmetic; the engine is written for SSE2.
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(GW_SANITIZE)
  add_compile_options(-fsanitize=${GW_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${GW_SANITIZE})
endif()
