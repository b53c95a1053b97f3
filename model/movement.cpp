// SPDX-License-Identifier: MIT
#include "model/movement.h"

#include "model/gravity.h"

namespace gemlets {

namespace {

struct Cell {
    int x;
    int y;
    bool operator==(const Cell&) const = default;
};

bool bothDropping(const Gemlet& f, const Gemlet& s) {
    return gemletState(f) == GemletState::dropping && gemletState(s) == GemletState::dropping;
}

bool isInside(Cell c) {
    return c.x >= 0 && c.x < fieldW && c.y >= 0 && c.y < fieldH;
}

bool isFree(const Game& game, Cell c) {
    return game.field[getOffset(c.x, c.y)] == emptyCell;
}

Cell cellOf(const Gemlet& g) {
    return {gemletX(g).value(), gemletY(g).value()};
}

// Shifts the pair by dx (-1 or +1). The leading gemlet is the one on the side of the move;
// an upright pair needs both side cells free, a flat one only the cell beside its leader.
void moveSideways(Game& game, Gemlet& f, Gemlet& s, int dx) {
    // Game over is final: a move there changes nothing, so it must not make the field show.
    const bool over = game.state == State::gameover;
    game.state = State::pause;
    const Cell a = cellOf(f);
    const Cell b = cellOf(s);
    if (bothDropping(f, s)) {
        const bool sLeads = a.x != b.x && (b.x - a.x) * dx > 0;
        Gemlet& leader = sLeads ? s : f;
        Gemlet& trailer = sLeads ? f : s;
        const Cell lead = sLeads ? b : a;
        const Cell next{lead.x + dx, lead.y};
        // The column bound comes first: a cell outside the field is never read.
        bool allowed = next.x >= 0 && next.x < fieldW && isFree(game, next);
        if (allowed && a.x == b.x)
            allowed = isFree(game, {b.x + dx, b.y});
        if (allowed) {
            setGemletX(leader, gemletX(leader).value() + dx);
            setGemletX(trailer, gemletX(trailer).value() + dx);
        }
    }
    game.state = over ? State::gameover : State::unpause;
}

} // namespace

void moveToLeft(Game& game, Gemlet& f, Gemlet& s) {
    moveSideways(game, f, s, -1);
}

void moveToRight(Game& game, Gemlet& f, Gemlet& s) {
    moveSideways(game, f, s, +1);
}

void rotateStones(Game& game, Gemlet& f, Gemlet& s) {
    // A drop step leaves the field showing its last gemlet a row higher than it now is; the
    // turn must see where every gemlet stands, or it may swing into a cell just taken.
    gemletsToField(game);
    const Cell a = cellOf(f);
    const Cell b = cellOf(s);
    Cell nf = a;
    Cell ns = b;
    // The rotation table: a clockwise quarter turn, shifted at row 0 and at column 0.
    if (a.x < b.x) {
        nf = b.y == 0 ? Cell{b.x, a.y + 1} : Cell{b.x, a.y - 1};
    } else if (a.y < b.y) {
        if (a.x == 0)
            nf = {a.x + 1, a.y + 1};
        else
            ns = {b.x - 1, b.y - 1};
    } else if (a.x > b.x) {
        if (b.y == 0) {
            ns = {b.x + 1, b.y};
            nf = {a.x, a.y + 1};
        } else {
            ns = {b.x + 1, b.y - 1};
        }
    } else if (a.y > b.y) {
        if (a.x == 0) {
            ns = {b.x + 1, b.y + 1};
        } else {
            ns = {b.x, b.y + 1};
            nf = {b.x - 1, a.y};
        }
    } else {
        return; // both in one cell
    }

    // Never stack two gemlets in one cell, lift a landed gemlet into the air, or leave the
    // field (a pair split by landing need not be adjacent any more).
    const auto fits = [&](Cell c) {
        return isInside(c) && (isFree(game, c) || c == a || c == b);
    };
    if (!bothDropping(f, s) || !fits(nf) || !fits(ns))
        return;
    setGemletX(f, nf.x);
    setGemletY(f, nf.y);
    setGemletX(s, ns.x);
    setGemletY(s, ns.y);
}

} // namespace gemlets
