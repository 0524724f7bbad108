cmake_minimum_required(VERSION 3.25)
# Installs the build into PREFIX and checks what a desktop needs to show the program: the
# program, its desktop entry, its AppStream metadata and a 32 x 32 icon with alpha, all naming
# one another consistently.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(result)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(program "${PREFIX}/bin/pagewick")
set(entry "${PREFIX}/share/applications/pagewick.desktop")
set(metainfo "${PREFIX}/share/metainfo/pagewick.metainfo.xml")
set(icon "${PREFIX}/share/icons/hicolor/32x32/apps/pagewick.png")
foreach(file IN ITEMS "${program}" "${entry}" "${metainfo}" "${icon}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# PNG header: width 32, height 32, 8 bits, colour type 6 (RGBA).
file(READ "${icon}" header OFFSET 16 LIMIT 10 HEX)
if(NOT header STREQUAL "00000020000000200806")
  message(FATAL_ERROR "the icon is not 32 x 32 RGBA: ${header}")
endif()

file(STRINGS "${entry}" entry_lines ENCODING UTF-8)
foreach(line IN ITEMS "[Desktop Entry]" "Type=Application" "Name=Pagewick" "Exec=pagewick"
                      "Icon=pagewick" "Comment=一键操作，输入小说名字下载即可。")
  if(NOT line IN_LIST entry_lines)
    message(FATAL_ERROR "the desktop entry lacks '${line}'")
  endif()
endforeach()

file(READ "${metainfo}" meta ENCODING UTF-8)
foreach(part IN ITEMS "<name>Pagewick</name>" "<summary>一键操作，输入小说名字下载即可。</summary>"
                      "<p>主要是飞库网跟笔下文学网两个网站</p>" "<release version=\"1.0.0.0\""
                      "<launchable type=\"desktop-id\">pagewick.desktop</launchable>"
                      "<binary>pagewick</binary>")
  string(FIND "${meta}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the metadata lacks '${part}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
