#include "platform/d3d9/raster/working_memory.h"

#include "platform/d3d9/test_device.h"

namespace d3d9 {

bool WorkingMemory::Granted() const { return setup == nullptr || setup->GrantDrawMemory(); }

}  // namespace d3d9
