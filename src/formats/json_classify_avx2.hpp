// The AVX2 kernel of the JSON minifier's structural pass, chosen at run time
// where the CPU has AVX2: 32 bytes per instruction, byte lookups and
// shuffles (which SSE2 lacks) and a carry-less multiplication. Without it
// the structural pass does not pay: it then is not run at all.
#pragma once

#include "formats/json_structure.hpp"

namespace velmora::uvc_stereo::detail {

// True when this build has the AVX2 kernel and the CPU runs it.
bool cpu_runs_avx2_kernel();

// A json_structure::ClassifyBlocks kernel; call only when
// cpu_runs_avx2_kernel() is true.
char* classify_blocks_avx2(const char* data, unsigned count, json_structure::Carry& carry,
                           json_structure::Block* blocks, char** outputs, char* out);

}  // namespace velmora::uvc_stereo::detail
