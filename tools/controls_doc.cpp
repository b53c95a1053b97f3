// SPDX-License-Identifier: MIT
// Prints the table of controls as the README (markdown), the manual page (tbl) or gptokeyb
// (the handheld's gemlets.gptk) show it, so that a test can hold each of them to the table.
// Usage: gemlets_controls readme | man | gptk
#include "play/commands.h"

#include <iostream>
#include <string>
#include <string_view>

namespace {

using namespace gemlets;

constexpr std::array<const char*, 7> actions{"move left",    "move right",       "rotate",
                                             "drop one row", "drop all the way", "pause / resume",
                                             "quit"};

// gptokeyb's names for a pad's buttons, in PadButton's order, and for the keys, in Key's.
constexpr std::array<const char*, padButtonCount> gptkButtons{
    "a",  "b",  "x",  "y",  "back", "guide", "start", "l3",
    "r3", "l1", "r1", "up", "down", "left",  "right"};
constexpr std::array<const char*, keyCount> gptkKeys{"left",  "right", "up", "down",
                                                     "space", "p",     "esc"};

// The names of one kind of binding for the command, joined by " or ".
std::string names(Command command, bool (*kind)(const Control&)) {
    std::string joined;
    for (const Control& control : controls) {
        if (control.command == command && kind(control))
            joined += (joined.empty() ? "" : " or ") + std::string(control.name);
    }
    return joined;
}

void table(std::string_view head, std::string_view rule, std::string_view open,
           std::string_view between, std::string_view close) {
    std::cout << head << rule;
    for (std::size_t at = 0; at < actions.size(); ++at) {
        const auto command = static_cast<Command>(at);
        std::cout << open << actions[at] << between
                  << names(command, [](const Control& c) { return c.key != Key::end; }) << between
                  << names(command, [](const Control& c) { return c.gp2x >= 0; }) << between
                  << names(command, [](const Control& c) { return c.pad != PadButton::end; })
                  << close;
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view format = argc == 2 ? argv[1] : "";
    if (format == "readme") {
        table("| Action | Keyboard | GP2X button | Standard pad |\n", "|---|---|---|---|\n", "| ",
              " | ", " |\n");
    } else if (format == "man") {
        table("Action\tKeyboard\tGP2X button\tStandard pad\n", "_\n", "", "\t", "\n");
    } else if (format == "gptk") {
        for (const Control& control : controls) {
            if (control.pad != PadButton::end)
                std::cout << gptkButtons[static_cast<std::size_t>(control.pad)] << " = "
                          << gptkKeys[static_cast<std::size_t>(keyFor(control.command))] << '\n';
        }
    } else {
        std::cerr << "Usage: gemlets_controls readme | man | gptk\n";
        return 2;
    }
    return 0;
}
