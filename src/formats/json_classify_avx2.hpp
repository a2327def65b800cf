// The AVX2 kernel of the JSON minifier's block classification, chosen at run
// time where the CPU has AVX2: twice the bytes per instruction of SSE2, and
// three-operand forms that save the register copies SSE2 needs.
#pragma once

#include "formats/json_structure.hpp"

namespace velmora::uvc_stereo::detail {

// True when this build has the AVX2 kernel and the CPU runs it.
bool cpu_runs_avx2_kernel();

// json_structure::classify_blocks() with AVX2; call only when
// cpu_runs_avx2_kernel() is true.
char* classify_blocks_avx2(const char* data, unsigned count, json_structure::Carry& carry,
                           json_structure::Block* blocks, char** outputs, char* out);

}  // namespace velmora::uvc_stereo::detail
