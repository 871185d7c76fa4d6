// Start-up of the Windows program and the pieces it leaves for the windows: the interface
// font, the MyWindow class, the message loop and the way the program ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// The program's icon in its resources.
constexpr int kProgramIconResource = 129;
// The window class StyledMessageBox is made from; the program's other windows have their own.
extern const char kMyWindowClass[];

// Everything before MainWindow, in order: the program-wide state and its clean-up at
// process end, the transparent label's glyph sheet, OLE (for the drop target), common
// controls and GDI+, the interface font, the skin's starting colour, the MyWindow class.
// Safe to call more than once. False when a step fails.
bool startShell();

// Gives back what startShell took (the skin's picture and canvas, the font, GDI+, OLE);
// the program-wide state goes at process end.
void stopShell();

// The interface font (微软雅黑 when installed, otherwise 宋体) and its family name, in
// local text. Valid between startShell and stopShell.
HFONT interfaceFont();
const std::string& interfaceFontFamily();

// Processes messages until the program ends; returns the exit code.
int runMessageLoop();

// Ends the program: the message loop returns once the messages already queued are handled.
void endProgram();

// The command-line arguments after the program name, quotes removed, in local text.
std::vector<std::string> commandLineArguments();

// The whole program, as WinMain runs it.
int runProgram(const std::vector<std::string>& arguments);

}  // namespace app
