// Object renderers: they draw nothing until the objects arrive; the lists they will read are
// already kept by the dispatch.

#include "video/renderer.h"

namespace {

void no_objects16(unsigned, unsigned, unsigned, std::uint16_t*) {}
void no_objects32(unsigned, unsigned, unsigned, std::uint32_t*) {}

}  // namespace

const ObjectRenderers object_renderers[2] = {
    {no_objects16, no_objects32, no_objects16, no_objects32},
    {no_objects16, no_objects32, no_objects16, no_objects32},
};
