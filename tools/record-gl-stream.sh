#!/bin/bash
# Records the digests of the frames that tests/render/gl_stream_test.cpp walks
# through, drawn by the program at COMMIT (default: the last one that drew the
# surface one vertex at a time), and prints them in the form of
# tests/render/gl_stream_digests.inc.
#
# Usage: tools/record-gl-stream.sh [COMMIT]
# Needs xvfb-run and the build dependencies; takes a few minutes on two cores.
set -euo pipefail

commit=${1:-38f0675}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

git -C "$here" archive "$commit" | tar -x -C "$work"
# The walk and its call log, built against that commit's program.
cp "$here/tests/render/gl_stream_test.cpp" "$here/tests/render/per_vertex_surface.h" \
   "$here/tests/render/per_vertex_surface.cpp" "$work/tests/render/"
cp "$here/tests/support/gl_call_log.h" "$here/tests/support/gl_call_log.cpp" "$work/tests/support/"
echo '{"", 0},' > "$work/tests/render/gl_stream_digests.inc"
cat >> "$work/tests/render/CMakeLists.txt" <<'CMAKE'
add_executable(record_gl_stream gl_stream_test.cpp per_vertex_surface.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/../support/gl_call_log.cpp)
target_link_libraries(record_gl_stream PRIVATE ripplemoor_gl_test_support GTest::gtest GTest::gtest_main)
target_include_directories(record_gl_stream PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_options(record_gl_stream PRIVATE
                    "LINKER:--wrap=glBegin,--wrap=glEnd,--wrap=glColor3f,--wrap=glNormal3f,--wrap=glVertex3f")
CMAKE

cmake -S "$work" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DRIPPLEMOOR_BENCH=OFF > /dev/null
cmake --build "$work/build" -j2 --target record_gl_stream > /dev/null
echo "// Recorded by tools/record-gl-stream.sh from $(git -C "$here" rev-parse --short "$commit")."
RIPPLEMOOR_RECORD_GL_STREAM=1 LIBGL_ALWAYS_SOFTWARE=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$work/build/tests/render/record_gl_stream" \
    --gtest_brief=1 | grep '^{"'
