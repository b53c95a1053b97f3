// SPDX-License-Identifier: MIT
// The browser's entry: the desktop's start-up from the files the page preloaded, then
// main-loop iterations at the display's refresh, on the page's one thread, with the sounds
// once the player's first key or press lets the page make them. The drop task's
// schedule runs on the page's clock from each iteration. While nothing can change what the
// window shows (paused, game over, or only the next drop ahead) the loop rests: the next
// drop's timer or the page's wake-up on a key, a touch, a gamepad or the tab's visibility
// restarts it.
#include "frontend/keys.h"
#include "frontend/main_loop.h"
#include "frontend/rendering.h"
#include "frontend/resources.h"
#include "frontend/sound_player.h"
#include "frontend/start_up.h"
#include "frontend/watch.h"
#include "model/game.h"
#include "model/random_colours.h"
#include "model/text_out.h"
#include "play/bindings.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/game_events.h"
#include "play/replay.h"
#include "play/start_seed.h"

#include <SDL.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/wget.h>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace gemlets {

namespace {

// The page's name for each key (KeyboardEvent.code), which its touch buttons and gamepad use.
struct PageKey {
    Key key;
    const char* code;
};
inline constexpr auto pageKeys = std::to_array<PageKey>({
    {Key::left, "ArrowLeft"},
    {Key::right, "ArrowRight"},
    {Key::up, "ArrowUp"},
    {Key::down, "ArrowDown"},
    {Key::space, "Space"},
    {Key::p, "KeyP"},
    {Key::escape, "Escape"},
});
static_assert(holdsEachOnce<Key>(pageKeys, &PageKey::key),
              "every key the game acts on needs one name on the page");

// Tells the page the key code that emscripten's SDL turns into `symbol`: its own table for
// the arrows and such, the upper-case letter for a letter, the symbol itself otherwise.
// clang-format off
EM_JS(void, tellPageKey, (const char* code, int symbol), {
    let keyCode = symbol >= 97 && symbol <= 122 ? symbol - 32 : symbol;
    for (const k in SDL.keyCodes) {
        if (SDL.keyCodes[k] === symbol)
            keyCode = Number(k);
    }
    (Module["gemletsKeys"] = Module["gemletsKeys"] || {})[UTF8ToString(code)] = keyCode;
});
// clang-format on

// The number the browser's standard gamepad gives each pad button.
struct BrowserPadButton {
    PadButton button;
    int number;
};
inline constexpr auto browserPadButtons = std::to_array<BrowserPadButton>({
    {PadButton::a, 0},
    {PadButton::b, 1},
    {PadButton::x, 2},
    {PadButton::y, 3},
    {PadButton::leftShoulder, 4},
    {PadButton::rightShoulder, 5},
    {PadButton::back, 8},
    {PadButton::start, 9},
    {PadButton::leftStick, 10},
    {PadButton::rightStick, 11},
    {PadButton::dpadUp, 12},
    {PadButton::dpadDown, 13},
    {PadButton::dpadLeft, 14},
    {PadButton::dpadRight, 15},
    {PadButton::guide, 16},
});
static_assert(holdsEachOnce<PadButton>(browserPadButtons, &BrowserPadButton::button),
              "every pad button needs its number on the browser's gamepad");

// Tells the page which key a gamepad button presses (Module.gemletsPad, by its number).
// clang-format off
EM_JS(void, tellPagePad, (int button, const char* code), {
    (Module["gemletsPad"] = Module["gemletsPad"] || {})[button] = UTF8ToString(code);
});
// clang-format on

// Both checked complete above.
int browserNumber(PadButton button) {
    return *lookUp(browserPadButtons, &BrowserPadButton::button, button, &BrowserPadButton::number);
}
const char* pageCode(Key key) {
    return *lookUp(pageKeys, &PageKey::key, key, &PageKey::code);
}

// Tells the page that the game has opened its window and told it its keys.
EM_JS(void, tellPageGameStarted, (), { Module["onGameStarted"](); });

// Tells the page that the run has ended, so that it can offer a new game.
EM_JS(void, tellPageGameEnded, (), { Module["onGameEnded"](); });

// Tells the page that the game has everything it loads (the service worker may start).
EM_JS(void, tellPageGameLoaded, (), { Module["onGameLoaded"](); });

// The images are preloaded at the top folder, but for the game-over picture (fetchLater);
// the field file is read from the working folder, which the page moves for a field given in
// the address.
SurfacePtr loadPreloadedImage(const std::filesystem::path& file) {
    if (file.filename() == gameoverImageFile)
        return {};
    return openImage("/" / file);
}

// The page's standard output and error (Module.stdout and stderr) through C stdio: the
// game's text needs no streams, which would be half of the wasm.
FileOut standardOutput{stdout};
FileOut standardError{stderr};

void wake();

// What the first frame can do without: the game-over picture, which shows only once a game is
// over, and the sounds, which the page makes only after the player's first key or press. They
// are fetched once the first frame is out, so that a first visit waits for fewer bytes before
// it, each handed on when it comes; the page hears that the game has everything once all have.
std::size_t stillComing = 1 + soundFiles.size();

void came() {
    if (--stillComing == 0)
        tellPageGameLoaded();
}

Screen* waitingForPicture = nullptr;

void pictureCame(const char* file) {
    try {
        waitingForPicture->gameover = openImage(file);
    } catch (const StartupError& error) {
        TextOut(standardError) << "gemlets: " << error.what() << '\n';
    }
    wake();
    came();
}

void pictureFailed(const char*) {
    TextOut(standardError) << "gemlets: " << gameoverImageFile
                           << " did not load: a game over shows no picture\n";
    came();
}

void soundsCame();
std::size_t soundsToCome = soundFiles.size();
bool soundsFailed = false;

void soundCame(const char*) {
    if (--soundsToCome == 0 && !soundsFailed)
        soundsCame();
    came();
}

void soundFailed(const char* file) {
    if (!std::exchange(soundsFailed, true))
        TextOut(standardError) << "gemlets: " << (file + 1)
                               << " did not load: the game is silent\n";
    --soundsToCome;
    came();
}

void fetchLater(Screen& screen) {
    if (std::exchange(waitingForPicture, &screen) != nullptr)
        return;
    const std::string picture = std::string("/") + gameoverImageFile;
    emscripten_async_wget(gameoverImageFile, picture.c_str(), pictureCame, pictureFailed);
    for (const char* sound : soundFiles)
        emscripten_async_wget(sound, ("/" + std::string(sound)).c_str(), soundCame, soundFailed);
}

struct Run {
    Game game{standardOutput};
    std::optional<SoundPlayer> sound; // once its files have come
    Screen screen;
    std::uint32_t seed = startSeed(SDL_GetTicks());
    RandomGenerator random{seed};
    // The replay of the game under way, which the page offers to save: kept, written nowhere.
    Recorder recorder{TextOut(), seed};
    Watching watching{game, recorder};
    DropTask dropTask{game, dropInterval, DropDriver::caller};
    MainLoop loop{game, dropTask, screen, random};
    bool resting = false;
    long restTimer = 0; // the timeout that ends a rest at the next drop; 0 when none
};

std::unique_ptr<Run> run;

// A replay being watched (the page's ?replay= or a file it opened), at its pace.
struct Watch {
    Replay replay;
    Game game{standardOutput};
    std::optional<SoundPlayer> sound; // once its files have come
    Screen screen;
    std::optional<ReplayPlayer> player;
    std::optional<WatchLoop> loop;
};

std::unique_ptr<Watch> watch;
constexpr const char* watchFile = "/watch.replay";

// SDL and the font, then the desktop's start-up steps with the browser's window and images;
// for a replay, only the window and the images.
void startRun(Game& game, Screen& screen, DropTask* dropTask) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        throw StartupError(sdlFailure("SDL_Init"));
    if (TTF_Init() != 0)
        throw StartupError(sdlFailure("TTF_Init"));
    // Emscripten's SDL also has text input, the wheel, touches and window events.
    ignoreUnusedEvents({SDL_TEXTINPUT, SDL_MOUSEWHEEL, SDL_FINGERDOWN, SDL_FINGERUP,
                        SDL_FINGERMOTION, SDL_WINDOWEVENT});
    // The page registered the font's file under this name, and started the game only once
    // it had loaded; the canvas draws text with it.
    screen.font = openFont(fontFile);
    if (dropTask != nullptr)
        startUp(game, screen, *dropTask, {openWindow, loadPreloadedImage});
    else
        openScreen(screen, {openWindow, loadPreloadedImage});
    for (const SdlKey& sdlKey : sdlKeys)
        tellPageKey(pageCode(sdlKey.key), sdlKey.symbol);
    // Every command has a key (play/bindings.h).
    for (const PadBinding& binding : padBindings)
        tellPagePad(browserNumber(binding.button), pageCode(*keyForCommand(binding.command)));
    tellPageGameStarted();
}

// The drop is made on the timer, not at the next animation frame, which would make every
// interval up to a frame longer; the frame then shows it.
void endRest(void*) {
    run->restTimer = 0;
    run->dropTask.run(std::chrono::steady_clock::now());
    wake();
}

// Until a wake-up: the next drop's timer when one is due, the page's otherwise.
void rest(const DropSchedule::Next& next) {
    if (run->restTimer != 0)
        emscripten_clear_timeout(run->restTimer);
    run->restTimer = 0;
    run->resting = true;
    emscripten_pause_main_loop();
    if (next.wait != DropSchedule::Wait::time)
        return;
    const std::chrono::duration<double, std::milli> left =
        next.at - std::chrono::steady_clock::now();
    // Whole milliseconds, rounded up: a timer that fired early would find no drop due.
    run->restTimer =
        emscripten_set_timeout(endRest, std::max(0.0, std::ceil(left.count())), nullptr);
}

void wake() {
    if (!run || !run->resting)
        return;
    run->resting = false;
    if (run->restTimer != 0)
        emscripten_clear_timeout(run->restTimer);
    run->restTimer = 0;
    emscripten_resume_main_loop();
}

void iterate() {
    Run& r = *run;
    // A step that falls due now shows in this iteration's frame.
    r.dropTask.run(std::chrono::steady_clock::now());
    const bool turnDue = r.game.state == State::newGemlets;
    const bool running = runIteration(r.loop);
    fetchLater(r.screen);
    if (!running) {
        emscripten_cancel_main_loop();
        if (r.sound)
            r.sound->stop();
        r.dropTask.stop();
        r.recorder.finish();
        tellPageGameEnded();
        return;
    }
    // A command may have ended a pause or the run: the schedule sees it at once, as the
    // desktop's woken thread would.
    const auto now = std::chrono::steady_clock::now();
    const DropSchedule::Next next = r.dropTask.run(now);
    // What the turn step spawned or ended, an event still queued, a landing to announce or
    // a drop due at once all need the next frame; a sound, the iterations until it ends.
    const bool busy = turnDue || r.game.state == State::newGemlets || SDL_PollEvent(nullptr) != 0 ||
                      !r.game.run || (next.wait == DropSchedule::Wait::time && next.at <= now) ||
                      (r.sound && r.sound->sounding());
    if (!busy)
        rest(next);
}

void iterateWatch() {
    const bool watching = runWatchIteration(*watch->loop, std::chrono::steady_clock::now());
    fetchLater(watch->screen);
    if (!watching) {
        emscripten_cancel_main_loop();
        if (watch->sound)
            watch->sound->stop();
        tellPageGameEnded();
    }
}

// The replay the page was given, played unseen first: nothing plays from one that cannot be
// played. False then, standard error saying why; a file that is no replay throws ReplayError.
bool startWatch() {
    watch = std::make_unique<Watch>();
    watch->replay = readReplay(watchFile);
    if (playUnseen(watch->replay, standardError) != 0)
        return false;
    watch->player.emplace(watch->replay, watch->game);
    watch->loop.emplace(
        WatchLoop{.screen = watch->screen, .game = watch->game, .player = *watch->player});
    startRun(watch->game, watch->screen, nullptr);
    return true;
}

// The game on the page, a run's or a replay's, with its sound and the loop that plays it.
struct OnPage {
    Game& game;
    std::optional<SoundPlayer>& sound;
    SoundPlayer*& playing;
};

std::optional<OnPage> onPage() {
    if (run)
        return OnPage{run->game, run->sound, run->loop.sound};
    if (watch && watch->loop)
        return OnPage{watch->game, watch->sound, watch->loop->sound};
    return std::nullopt;
}

// The sound of the game or replay on the page, if any.
SoundPlayer* pageSound() {
    const std::optional<OnPage> page = onPage();
    return page ? page->playing : nullptr;
}

// The page's sound as the player has set it: heard once a key or press made the page's sound,
// muted by the page's control. Sounds that come later start so.
bool pageHeard = false;
bool pageMuted = false;

void soundsCame() {
    const std::optional<OnPage> page = onPage();
    if (!page)
        return;
    std::optional<SoundPlayer>& sound = page->sound;
    try {
        sound.emplace("/");
    } catch (const StartupError& error) {
        TextOut(standardError) << "gemlets: " << error.what() << '\n';
        return;
    }
    sound->listen(page->game);
    sound->mute(pageMuted);
    if (pageHeard)
        sound->open();
    page->playing = &*sound;
}

// Whether the page can make sound: an AudioContext, made now, in the player's key or press, as
// browsers ask, and started there too, as some (WebKit) ask of a context's first start; later
// ones need no press. One that cannot be made, or a browser without Web Audio, leaves the game
// silent, saying nothing; a sound the browser cannot decode stays silent too.
// clang-format off
EM_JS(int, makePageSound, (), {
    try {
        SDL.openAudioContext();
        const context = SDL.audioContext;
        if (!context)
            return 0;
        const decode = context.decodeAudioData.bind(context);
        context.decodeAudioData = (data, done) => {
            const decoding = decode(data, done, () => {});
            if (decoding && decoding.catch)
                decoding.catch(() => {});
            return decoding;
        };
        context.resume().catch(() => {});
        Module["gemletsAudio"] = context;
        return 1;
    } catch (error) {
        return 0;
    }
});
// clang-format on

bool pageMakesSound() {
    return pageHeard || (pageHeard = makePageSound() != 0);
}

// What gemletsCheck wrote: standard output and standard error.
std::string checkOut;
std::string checkErr;
std::string replayCopy;

} // namespace

} // namespace gemlets

// A hidden page pauses the game as P does; it stays paused until the player resumes.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsPause() {
    using namespace gemlets;
    if (run && enterGame(run->game, eventOf(EventKind::hidden)))
        wake();
}

// The replay of the game under way, or of the game that has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const char* gemletsReplay() {
    using namespace gemlets;
    replayCopy = run ? run->recorder.text() : "";
    return replayCopy.c_str();
}

// --replay /check.replay --check, its output kept for gemletsCheckText: 0 standard output, 1
// standard error.
extern "C" EMSCRIPTEN_KEEPALIVE int gemletsCheck() {
    gemlets::TextBuffer out;
    gemlets::TextBuffer err;
    const int status = gemlets::checkReplay("/check.replay", out, err);
    gemlets::checkOut = std::move(out.text);
    gemlets::checkErr = std::move(err.text);
    return status;
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* gemletsCheckText(int which) {
    return (which == 0 ? gemlets::checkOut : gemlets::checkErr).c_str();
}

// The player's key or press, with sound on: the game's sound opens, once.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsHear() {
    using namespace gemlets;
    SoundPlayer* sound = pageSound();
    if (pageMakesSound() && sound != nullptr)
        sound->open();
}

// The page's sound control: 0 silences the game, 1 lets it sound again.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsSound(int on) {
    gemlets::pageMuted = on == 0;
    if (gemlets::SoundPlayer* sound = gemlets::pageSound())
        sound->mute(gemlets::pageMuted);
}

// Something may change what the window shows: a key, a touch, a gamepad, the tab shown.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsWake() {
    gemlets::wake();
}

// One iteration on demand, so that bench/web_bench.py can time it in the page.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsStep() {
    if (gemlets::run && gemlets::run->game.run)
        gemlets::iterate();
}

int main() {
    using namespace gemlets;
    // Not std::filesystem::exists, whose error reports are a kilobyte and more of the wasm.
    const bool watching = access(watchFile, F_OK) == 0;
    try {
        if (watching) {
            if (!startWatch()) {
                watch.reset();
                return 1;
            }
        } else {
            run = std::make_unique<Run>();
            startRun(run->game, run->screen, &run->dropTask);
        }
    } catch (const std::exception& error) {
        TextOut(standardError) << "gemlets: " << error.what() << '\n';
        run.reset();
        watch.reset();
        return 1;
    }
    // 0: at the display's refresh; the call returns, the run lives on in `run`.
    emscripten_set_main_loop(watching ? iterateWatch : iterate, 0, false);
    return 0;
}
