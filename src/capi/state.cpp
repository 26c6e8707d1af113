#include "capi/state.h"

namespace kivo::state {

Window* window = nullptr;
Renderer* renderer = nullptr;
std::int32_t width = 0;
std::int32_t height = 0;
std::array<ScreenDef, 2> screens;
bool pressed = false;

} // namespace kivo::state
