# Installs the built tree into a scratch prefix, then configures, builds and runs a tiny program
# that finds the library with find_package(qeldbio) and another that uses qeldbio.pc. Neither
# build names a language standard: the package must bring the one its headers need.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_FLAGS=${flags} -DCMAKE_EXE_LINKER_FLAGS=${flags}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configure of the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build of the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(rc OR NOT out MATCHES "TRUE")
  message(FATAL_ERROR "consumer run failed (${rc}): ${out}")
endif()

# The same program through pkg-config.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig:${prefix}/lib/x86_64-linux-gnu/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs qeldbio OUTPUT_VARIABLE pc
  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "pkg-config does not know qeldbio")
endif()
separate_arguments(pc UNIX_COMMAND "${pc}")
separate_arguments(sflags UNIX_COMMAND "${flags}")
execute_process(COMMAND c++ ${sflags} ${SOURCE_DIR}/tests/consumer/consumer.cpp ${pc}
    -Wl,-rpath,${prefix}/lib -o ${WORK_DIR}/consumer_pc RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "pkg-config build of the consumer failed")
endif()
execute_process(COMMAND ${WORK_DIR}/consumer_pc OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(rc OR NOT out MATCHES "TRUE")
  message(FATAL_ERROR "pkg-config consumer run failed (${rc}): ${out}")
endif()

# Only public headers are installed, and together they need no third-party header and leave no
# layout macro behind: one file that includes every installed header must compile with the
# installed tree alone, with pugixml's header never reached.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/qeldbio ${prefix}/include/qeldbio/*.h)
set(all "// Every public header of the installed package.\n")
foreach(h ${headers})
  if(h MATCHES "_internal\\.")
    message(FATAL_ERROR "internal header installed: ${h}")
  endif()
  string(APPEND all "#include \"${h}\"\n")
endforeach()
string(APPEND all "#ifdef PUGIXML_VERSION\n#error a public header includes pugixml\n#endif\n"
  "#if defined(QEL_MDF_BEGIN) || defined(QEL_MDF_FIELD) || defined(QEL_MDF_FIELDS)\n"
  "#error a public header leaves layout macros behind\n#endif\n"
  "int main() { return 0; }\n")
file(WRITE ${WORK_DIR}/all_headers.cpp "${all}")
execute_process(COMMAND c++ -std=c++20 -fsyntax-only -I${prefix}/include/qeldbio
    ${WORK_DIR}/all_headers.cpp RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "the public headers do not compile on their own:\n${err}")
endif()
