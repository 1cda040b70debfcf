# The kill test starts a child program that changes a table until it is killed; the test finds
# the child through a compile definition with its path.
add_executable(table_killchild ${CMAKE_CURRENT_LIST_DIR}/killchild/main.cpp ${CMAKE_CURRENT_LIST_DIR}/killchild/KillRows.cpp)
target_link_libraries(table_killchild PRIVATE platform_table)
target_sources(table_tst_kill PRIVATE ${CMAKE_CURRENT_LIST_DIR}/killchild/KillRows.cpp)
target_compile_definitions(table_tst_kill PRIVATE FERNGROVE_KILL_CHILD="$<TARGET_FILE:table_killchild>")
add_dependencies(table_tst_kill table_killchild)
