# One static library per folder of src/; its sources are every .cpp/.h/.qrc there,
# so adding a file needs no edit of a shared list.
function(dorvprg_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  # an empty source keeps a folder whose code has not arrived yet buildable
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_ures.cpp "namespace {}\n")
  add_library(${name} STATIC ${srcs} ${CMAKE_CURRENT_BINARY_DIR}/${name}_ures.cpp)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
endfunction()

# Every tst_*.cpp of a tests folder is one test program, labelled with the folder's name.
function(dorvprg_tests label)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    add_executable(${n} ${t})
    target_link_libraries(${n} PRIVATE ${A_DEPS} dorvprg_testhelpers Qt6::Test)
    add_test(NAME ${n} COMMAND ${n})
    set_tests_properties(${n} PROPERTIES LABELS ${label}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DORVPRG_TEST_BIN=$<TARGET_FILE_DIR:dorvprg>/dorvprg"
      TIMEOUT 300)
  endforeach()
endfunction()

# Test programs whose functions run on both engines (global data rows): the plain run keeps
# the local register, a second run "NAME_pg" the server's rows, labelled pg as well.
function(dorvprg_tests_ket_motoron label)
  foreach(n ${ARGN})
    set_property(TEST ${n} APPEND PROPERTY ENVIRONMENT "DORVPRG_MOTOR=sqlite")
    add_test(NAME ${n}_pg COMMAND ${n})
    set_tests_properties(${n}_pg PROPERTIES LABELS "${label};pg"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DORVPRG_MOTOR=pg;DORVPRG_TEST_BIN=$<TARGET_FILE_DIR:dorvprg>/dorvprg"
      TIMEOUT 600)
  endforeach()
endfunction()
