/* SDL that cannot start: kivo_init_sdl must end the process with status 1 and
 * "<program>: SDL_Init: <SDL's error>". This program stands in for SDL_Init itself (its definition
 * comes before SDL's in the lookup order), so the library's own call fails. */
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include "kivo/kivo.h"

int SDL_Init(Uint32 flags)
{
    (void)flags;
    return SDL_SetError("no event subsystem here");
}

int main(void)
{
    int pipefd[2], status = 0;
    char message[256] = {0};
    ssize_t n;
    pid_t child;
    const char* want = ": SDL_Init: no event subsystem here\n";
    unsigned failed = 0;

    if (pipe(pipefd) != 0)
        return 2;
    child = fork();
    if (child == 0) {
        dup2(pipefd[1], STDERR_FILENO);
        kivo_init_sdl();
        _exit(0);
    }
    close(pipefd[1]);
    n = 0;
    for (ssize_t got; (got = read(pipefd[0], message + n, sizeof message - 1 - (size_t)n)) > 0;)
        n += got;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 1) {
        ++failed;
        printf(
            "FAILED: exit status %d, expected 1\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    if (n <= 0 || strlen(message) < strlen(want) ||
        strcmp(message + strlen(message) - strlen(want), want) != 0) {
        ++failed;
        printf("FAILED: message \"%s\"\n", message);
    }
    printf("sdl_init_failure: %u passed, %u failed\n", 2 - failed, failed);
    return failed != 0;
}
