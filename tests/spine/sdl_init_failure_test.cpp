// SDL that cannot start: kivo_init_sdl ends the process with SDL's reason. This program's SDL_Init
// comes before SDL's in the lookup order, so the library's own call fails.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "kivo/kivo.h"

extern "C" int SDL_Init(Uint32)
{
    return SDL_SetError("no event subsystem here");
}

TEST(SdlInit, FailureEndsTheProcess)
{
    EXPECT_EXIT(kivo_init_sdl(), ::testing::ExitedWithCode(1),
        "^[^\n]*: SDL_Init: no event subsystem here\n$");
}
