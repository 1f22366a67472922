# Compile options shared by every target of the project.
option(DYNLOG_WERROR "Treat warnings as errors" OFF)
option(DYNLOG_SANITIZE "Build with AddressSanitizer and UBSan (native only)" OFF)

function(dynlog_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  # Designated initialisers that leave fields at their defaults are meant, not forgotten.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(DYNLOG_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(WIN32)
    # Win32 headers: the ANSI/wide split is chosen per call, never through the UNICODE macro.
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    # SSE2 arithmetic instead of the x87's extended precision: doubles round as everywhere else,
    # so the native tests and the program compute the same values.
    target_compile_options(${target} PRIVATE -msse2 -mfpmath=sse)
  endif()
endfunction()

if(DYNLOG_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# dynlog_library(name source... [LINK library...]): a static library of the project with the
# shared options; its users include its headers from src/ ("link/ucom.h").
function(dynlog_library name)
  cmake_parse_arguments(L "" "" "LINK" ${ARGN})
  add_library(${name} STATIC ${L_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  dynlog_options(${name})
  if(L_LINK)
    target_link_libraries(${name} PUBLIC ${L_LINK})
  endif()
endfunction()
