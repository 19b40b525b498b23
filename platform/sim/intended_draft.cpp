// Keys on an edit box, the user's key characters, and the candidates for the draft the user means.
#include "intended_draft.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace vorivevo::sim {

namespace {

// Letters of Windows-1252 above the ASCII range that no line of ours uses (÷ and ¤ are in every line).
std::u16string InCodePage() {
    std::u16string characters;
    for (char16_t c = 0xA1; c <= 0xFF; ++c)
        if (c != 0xA4 && c != 0xF7 && c != 0xAD) characters += c;
    return characters;
}

// Cyrillic capitals and small letters, which Windows-1252 lacks.
std::u16string BeyondCodePage() {
    std::u16string characters;
    for (char16_t c = 0x410; c <= 0x44E; ++c) characters += c;
    return characters;
}

const std::u16string& Pool(bool beyondCodePage) {
    static const std::u16string inCodePage = InCodePage();
    static const std::u16string beyond = BeyondCodePage();
    return beyondCodePage ? beyond : inCodePage;
}

}  // namespace

void ApplyKey(std::u16string& text, Desktop::Selection& selection, const Key& key, std::size_t limit) {
    const bool selected = selection.start != selection.end;
    switch (key.kind) {
        case Key::Kind::Insert: {
            const std::size_t room = limit - std::min(limit, text.size() - (selection.end - selection.start));
            const std::u16string fits = key.text.substr(0, room);
            if (fits.empty() && !key.text.empty()) return;  // a full box refuses the key, selection and all
            text.replace(selection.start, selection.end - selection.start, fits);
            selection.start = selection.end = selection.start + fits.size();
            return;
        }
        case Key::Kind::Delete:
        case Key::Kind::Backspace:
            if (selected) {
                text.erase(selection.start, selection.end - selection.start);
            } else if (key.kind == Key::Kind::Delete && selection.start < text.size()) {
                text.erase(selection.start, 1);
            } else if (key.kind == Key::Kind::Backspace && selection.start > 0) {
                text.erase(--selection.start, 1);
            }
            selection.end = selection.start;
            return;
        case Key::Kind::Left:
            if (!selected && selection.start > 0) --selection.start;
            selection.end = selection.start;
            return;
        case Key::Kind::Right:
            if (!selected && selection.end < text.size()) ++selection.end;
            selection.start = selection.end;
            return;
        case Key::Kind::Home: selection = Desktop::Selection{0, 0}; return;
        case Key::Kind::End: selection = Desktop::Selection{text.size(), text.size()}; return;
        case Key::Kind::Enter: return;
    }
}

char16_t KeyCharacter(long n, bool beyondCodePage) {
    const std::u16string& pool = Pool(beyondCodePage);
    return pool[static_cast<std::size_t>(n) % pool.size()];
}

bool IsKeyCharacter(char16_t character) {
    for (const bool beyond : {false, true})
        if (Pool(beyond).find(character) != std::u16string::npos) return true;
    return false;
}

void IntendedDraft::Set(const std::u16string& text, Desktop::Selection selection) {
    DraftState state;
    state.text = text;
    state.selection = selection;
    state.arrivals.assign(text.size(), 0);
    candidates_.assign(1, state);
}

void IntendedDraft::Admit(const IntendedDraft& other) {
    for (const DraftState& state : other.candidates_)
        if (candidates_.size() < kMaxCandidates && std::find(candidates_.begin(), candidates_.end(), state) == candidates_.end())
            candidates_.push_back(state);
}

bool IntendedDraft::Holds(const std::u16string& text, Desktop::Selection selection) const {
    return std::any_of(candidates_.begin(), candidates_.end(),
                       [&](const DraftState& c) { return c.text == text && c.selection == selection; });
}

bool IntendedDraft::HoldsText(const std::u16string& text) const {
    return std::any_of(candidates_.begin(), candidates_.end(), [&](const DraftState& c) { return c.text == text; });
}

void IntendedDraft::Narrow(const std::u16string& text, std::optional<Desktop::Selection> selection) {
    std::vector<DraftState> kept;
    for (const DraftState& candidate : candidates_) {
        if (candidate.text != text || (selection && !(candidate.selection == *selection))) continue;
        DraftState own;
        own.text = candidate.text;
        own.selection = candidate.selection;
        own.arrivals = candidate.arrivals;
        if (std::find(kept.begin(), kept.end(), own) == kept.end()) kept.push_back(own);
    }
    if (!kept.empty()) candidates_ = std::move(kept);
}

void IntendedDraft::EndRuns(const std::u16string& text) {
    std::vector<DraftState> kept;
    for (DraftState candidate : candidates_) {
        if (candidate.text == text) candidate.runStart = candidate.runLength = candidate.runCaret = 0;
        if (candidate.text == text) candidate.damaged = false;
        if (candidate.text == text) candidate.replaced.clear();
        if (std::find(kept.begin(), kept.end(), candidate) == kept.end()) kept.push_back(std::move(candidate));
    }
    candidates_ = std::move(kept);
}

void IntendedDraft::OurTextGone() {
    std::vector<DraftState> kept;
    for (DraftState candidate : candidates_) {
        candidate.damaged = false;
        if (std::find(kept.begin(), kept.end(), candidate) == kept.end()) kept.push_back(std::move(candidate));
    }
    candidates_ = std::move(kept);
}

std::optional<IntendedDraft::Window> IntendedDraft::ShownOfRun(const DraftState& state, const Shown* shown) {
    if (shown == nullptr || state.runLength == 0 || state.damaged || shown->text.empty() ||
        shown->selection.start != shown->selection.end)
        return std::nullopt;
    // Key characters come round again, so the piece may be found more than once: the box's caret is the
    // run's, if any of them has it there.
    const std::u16string run = state.text.substr(state.runStart, state.runLength);
    std::size_t at = run.find(shown->text);
    for (std::size_t next = at; next != std::u16string::npos; next = run.find(shown->text, next + 1)) {
        if (next + shown->selection.start != state.runCaret) continue;
        at = next;
        break;
    }
    if (at == std::u16string::npos) return std::nullopt;
    return Window{at, at + shown->text.size(), at + shown->selection.start};
}

std::optional<DraftState> IntendedDraft::InOurText(DraftState state, const Key& key, std::size_t limit,
                                                   const std::optional<Window>& window) {
    if (state.runLength == 0) {
        // Nothing of the run yet: it begins at the user's caret, and its first character goes over what
        // they had selected.
        state.runStart = state.selection.start;
        state.runCaret = 0;
        state.replaced.clear();
        if (key.Inserts()) {
            state.replaced = state.text.substr(state.selection.start, state.selection.end - state.selection.start);
            state.replacedArrivals.assign(state.arrivals.begin() + static_cast<std::ptrdiff_t>(state.selection.start),
                                          state.arrivals.begin() + static_cast<std::ptrdiff_t>(state.selection.end));
            state.text.erase(state.selection.start, state.selection.end - state.selection.start);
        }
    }
    // Where the box shows a piece of the run, the caret is the box's and goes no further than the piece.
    if (window) state.runCaret = window->caret;
    const std::size_t low = window ? window->from : 0, high = window ? window->to : state.runLength;
    switch (key.kind) {
        case Key::Kind::Insert: {
            const std::u16string fits = key.text.substr(0, limit - std::min(limit, state.text.size()));
            state.text.insert(state.runStart + state.runCaret, fits);
            state.runLength += fits.size();
            state.runCaret += fits.size();
            break;
        }
        case Key::Kind::Left: state.runCaret -= state.runCaret > low ? 1 : 0; break;
        case Key::Kind::Right: state.runCaret += state.runCaret < high ? 1 : 0; break;
        case Key::Kind::Home: state.runCaret = low; break;
        case Key::Kind::End: state.runCaret = high; break;
        case Key::Kind::Backspace:
        case Key::Kind::Delete: {
            const bool back = key.kind == Key::Kind::Backspace;
            if (back ? state.runCaret == low : state.runCaret == high) {
                // It takes a character of ours instead, if the box shows one there.
                state.damaged = !window;
                break;
            }
            if (back) --state.runCaret;
            state.text.erase(state.runStart + state.runCaret, 1);
            if (--state.runLength == 0) state.replaced.clear();
            // The run, shorter now, may even be gone: the caret stays after what is left of it.
            state.selection.start = state.selection.end = state.runStart + state.runCaret;
            break;
        }
        case Key::Kind::Enter: return std::nullopt;
    }
    // A caret move with nothing typed yet leaves the user's selection as it was.
    if (state.runLength > 0 || key.Inserts()) state.selection.start = state.selection.end = state.runStart + state.runCaret;
    return state;
}

void IntendedDraft::TrackArrivals(const DraftState& from, DraftState& to, long arrival) {
    const std::u16string& was = from.text;
    const std::u16string& now = to.text;
    const std::size_t head = static_cast<std::size_t>(
        std::mismatch(was.begin(), was.end(), now.begin(), now.end()).first - was.begin());
    std::size_t tail = static_cast<std::size_t>(
        std::mismatch(was.rbegin(), was.rend(), now.rbegin(), now.rend()).first - was.rbegin());
    tail = std::min(tail, std::min(was.size(), now.size()) - head);
    to.arrivals.assign(from.arrivals.begin(), from.arrivals.begin() + static_cast<std::ptrdiff_t>(head));
    to.arrivals.insert(to.arrivals.end(), now.size() - head - tail, arrival);
    to.arrivals.insert(to.arrivals.end(), from.arrivals.end() - static_cast<std::ptrdiff_t>(tail), from.arrivals.end());
}

void IntendedDraft::Apply(const Key& key, Landing landing, std::size_t limit, const Shown* shown, long arrival) {
    // A Backspace at the very start of the box, or a Delete at its very end, with nothing selected takes
    // nothing, of ours or of theirs; in a box that shows nothing (Send emptied it) it is as if it had not
    // come.
    const bool caretOnly = shown != nullptr && shown->selection.start == shown->selection.end;
    const bool atEdge = caretOnly && ((key.kind == Key::Kind::Backspace && shown->selection.start == 0) ||
                                      (key.kind == Key::Kind::Delete && shown->selection.end == shown->text.size()));
    const bool takesNothing = atEdge && shown->text.empty();
    if (takesNothing && landing != Landing::OnOwnText) return;
    std::vector<DraftState> next;
    // Each state once: by a hash first, since the candidates may be many and long.
    std::unordered_multimap<std::size_t, std::size_t> seen;
    const auto add = [&next, &seen](DraftState state) {
        const std::size_t hash = std::hash<std::u16string>{}(state.text) ^ (state.selection.start * 0x9E3779B97F4A7C15ull) ^
                                 (state.runStart << 20) ^ (state.runLength << 40) ^ (state.runCaret << 50) ^
                                 (state.damaged ? 1 : 0);
        const auto [first, last] = seen.equal_range(hash);
        for (auto same = first; same != last; ++same)
            if (next[same->second] == state) return;
        seen.emplace(hash, next.size());
        next.push_back(std::move(state));
    };
    for (const DraftState& candidate : candidates_) {
        if (landing == Landing::OnOwnText || landing == Landing::OnOwnTextUnseen) {
            if (landing == Landing::OnOwnTextUnseen) add(candidate);
            DraftState own;
            own.text = candidate.text;
            own.selection = candidate.selection;
            if (key.kind == Key::Kind::Enter) {
                own = DraftState{};  // the user's own text went out
            } else {
                ApplyKey(own.text, own.selection, key, limit);
                TrackArrivals(candidate, own, arrival);
            }
            add(std::move(own));
            continue;
        }
        if (landing == Landing::CaretKeyOnOwnUnderOurs && shown != nullptr && candidate.text == shown->text) {
            DraftState own;
            own.text = candidate.text;
            own.selection = shown->selection;
            ApplyKey(own.text, own.selection, key, limit);
            own.arrivals = candidate.arrivals;
            add(std::move(own));
        }
        // In our text: an insert counts unless the keys cannot be told apart there; an editing key may
        // count or not.
        // (Enter sends what the box holds: its keys leave every candidate as they go out.)
        const std::optional<Window> window = key.kind != Key::Kind::Enter && landing != Landing::OnOurChangedText
                                                 ? ShownOfRun(candidate, shown)
                                                 : std::nullopt;
        const bool mayDrop = (!key.Inserts() && !window) || landing == Landing::OnOurChangedText || candidate.damaged;
        const bool fork = candidates_.size() * 2 <= kMaxCandidates;
        // Past the cap, a caret or editing key on a run the box shows whole counts only, as the box shows it
        // (what a post reads there); keys that cannot be told apart count as dropped only.
        const bool asShown = !key.Inserts() && !candidate.damaged && landing != Landing::OnOurChangedText;
        if (mayDrop && (fork || !asShown)) add(candidate);
        if (mayDrop && !fork && !asShown) continue;
        if (std::optional<DraftState> applied = InOurText(candidate, key, limit, window)) {
            if (atEdge) applied->damaged = candidate.damaged;
            TrackArrivals(candidate, *applied, arrival);
            add(*applied);
            // Once our text is damaged, the whole run may be lost with it.
            if (applied->damaged && !candidate.damaged && candidate.runLength > 0) {
                DraftState lost = *applied;
                lost.text.erase(lost.runStart, lost.runLength);
                lost.runLength = lost.runCaret = 0;
                lost.selection.start = lost.selection.end = lost.runStart;
                TrackArrivals(*applied, lost, arrival);
                add(std::move(lost));
            }
        }
    }
    candidates_ = std::move(next);
}

void IntendedDraft::Remove(char16_t character, long arrival) {
    for (DraftState& candidate : candidates_) {
        // The key itself, not an older one of the same character; where two candidates that differ only in
        // their arrivals became one, the first of that character.
        std::size_t at = 0;
        while (at < candidate.text.size() && (candidate.text[at] != character || candidate.arrivals[at] != arrival)) ++at;
        if (at == candidate.text.size()) at = candidate.text.find(character);
        if (at == std::u16string::npos) continue;
        candidate.text.erase(at, 1);
        candidate.arrivals.erase(candidate.arrivals.begin() + static_cast<std::ptrdiff_t>(at));
        if (candidate.selection.start > at) --candidate.selection.start;
        if (candidate.selection.end > at) --candidate.selection.end;
        if (at < candidate.runStart) {
            --candidate.runStart;
        } else if (at < candidate.runStart + candidate.runLength) {
            --candidate.runLength;
            if (candidate.runCaret > at - candidate.runStart) --candidate.runCaret;
            if (candidate.runLength == 0 && !candidate.replaced.empty()) {
                candidate.text.insert(candidate.runStart, candidate.replaced);
                candidate.arrivals.insert(candidate.arrivals.begin() + static_cast<std::ptrdiff_t>(candidate.runStart),
                                          candidate.replacedArrivals.begin(), candidate.replacedArrivals.end());
                candidate.selection = Desktop::Selection{candidate.runStart, candidate.runStart + candidate.replaced.size()};
                candidate.replaced.clear();
            }
        }
    }
}

}  // namespace vorivevo::sim
