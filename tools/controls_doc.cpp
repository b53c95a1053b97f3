// SPDX-License-Identifier: MIT
// Prints the table of controls as the README (markdown), the manual page (tbl) or gptokeyb
// (the handheld's gemlets.gptk) show it, so that a test can hold each of them to the bindings.
// Usage: gemlets_controls readme | man | gptk
#include "play/bindings.h"

#include <iostream>
#include <string>
#include <string_view>

namespace {

using namespace gemlets;

// gptokeyb's names for a pad's buttons and for the keys it presses in their place.
inline constexpr auto gptkButtons = std::to_array<Label<PadButton>>({
    {PadButton::a, "a"},
    {PadButton::b, "b"},
    {PadButton::x, "x"},
    {PadButton::y, "y"},
    {PadButton::back, "back"},
    {PadButton::guide, "guide"},
    {PadButton::start, "start"},
    {PadButton::leftStick, "l3"},
    {PadButton::rightStick, "r3"},
    {PadButton::leftShoulder, "l1"},
    {PadButton::rightShoulder, "r1"},
    {PadButton::dpadUp, "up"},
    {PadButton::dpadDown, "down"},
    {PadButton::dpadLeft, "left"},
    {PadButton::dpadRight, "right"},
});
static_assert(holdsEachOnce<PadButton>(gptkButtons, &Label<PadButton>::value),
              "every pad button needs its gptokeyb name");
inline constexpr auto gptkKeys = std::to_array<Label<Key>>({
    {Key::left, "left"},
    {Key::right, "right"},
    {Key::up, "up"},
    {Key::down, "down"},
    {Key::space, "space"},
    {Key::p, "p"},
    {Key::escape, "esc"},
});
static_assert(holdsEachOnce<Key>(gptkKeys, &Label<Key>::value),
              "every key needs its gptokeyb name");

// The names of the bindings that give the command, joined by " or ".
template <class Binding, std::size_t N, class Name>
std::string names(const std::array<Binding, N>& bindings, Command command, Name name) {
    std::string joined;
    for (const Binding& binding : bindings) {
        if (binding.command == command)
            joined += (joined.empty() ? "" : " or ") + std::string(name(binding));
    }
    return joined;
}

void table(std::string_view head, std::string_view rule, std::string_view open,
           std::string_view between, std::string_view close) {
    std::cout << head << rule;
    for (const Label<Command>& command : commandLabels) {
        std::cout << open << command.text << between
                  << names(keyBindings, command.value,
                           [](const KeyBinding& b) { return labelOf(keyLabels, b.key); })
                  << between
                  << names(gp2xBindings, command.value,
                           [](const Gp2xBinding& b) { return b.label; })
                  << between
                  << names(padBindings, command.value,
                           [](const PadBinding& b) { return labelOf(padButtonLabels, b.button); })
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
        // gptokeyb presses the key of the button's command: every command has one.
        for (const PadBinding& binding : padBindings)
            std::cout << labelOf(gptkButtons, binding.button) << " = "
                      << labelOf(gptkKeys, *keyForCommand(binding.command)) << '\n';
    } else {
        std::cerr << "Usage: gemlets_controls readme | man | gptk\n";
        return 2;
    }
    return 0;
}
