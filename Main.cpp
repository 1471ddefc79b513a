// Process entry point and Main: one run of the demo, its frame loop and the report of
// a fatal error (exit code 1), or a normal end (exit code 0).
#include "Main.h"

#include <SDL.h>

#include "Demo.h"
#include "Extensions.h"
#include "Input.h"
#include "MessageBox.h"
#include "Window.h"
#include "Zemb/List.h"

int Main() { return RunMain<GLWindow, Demo>(Input::StopRequested, Extensions::Load, MessageBox::ShowError); }

int main(int argc, char* argv[])
{
    // The program takes no options: arguments are collected and left unread.
    int result;
    {
        Zemb::List<Zemb::String> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.Add(Zemb::String(argv[i]));
        result = Main();
    }
    SDL_Quit();
    return result;
}
