// One post against one fault of the client at a time, as a table: each row names the fault and the guard
// of the post that stands against it, and is checked against the same invariants as the randomized
// schedules (draft_invariants.h). Take the guard away and its row fails.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chat_client.h"
#include "chat_lines.h"
#include "client_automation.h"
#include "desktop.h"
#include "dialogs.h"
#include "draft_invariants.h"
#include "expected_lines.h"
#include "intended_draft.h"
#include "sim_host.h"
#include "windows1252.h"

namespace vorivevo::sim {
namespace {

SimHostOptions StageHost() {
    SimHostOptions options;
    options.maxIdlePumps = LONG_MAX;  // messages take no virtual time here
    return options;
}

// The user typed "my words" and selected "wo" before the post.
struct Stage {
    explicit Stage(const ChatClientOptions& options) : client(desktop, options) {
        client.SetDraft(0, "my words", 3, 5);
    }
    // Runs `action` when the box gets a message that `when` picks, the first time only; the action runs
    // before the message is handled, and may change what its handling does.
    void OnceAt(std::function<bool(const MessageContext&)> when, std::function<void()> action) {
        desktop.SetHandler(client.EntryBox(), [this, when, action, done = false](const MessageContext& message) mutable
                           -> std::optional<LResult> {
            if (!done && when(message)) {
                done = true;
                action();
            }
            return std::nullopt;
        });
    }
    // The client is busy for 3 s from now; `action` (the user's keys, say) comes 1 s into it, so that
    // what it sends the box waits for the client.
    void BusyThen(std::function<void()> action) {
        desktop.TakeTime(client.Frame(), 3.0);
        desktop.Clock().At(desktop.Clock().Now() + 1.0, std::move(action));
    }
    // Runs `action` before the entry box handles each message, the client's own handling kept (a box that
    // changes what it is given still does).
    void BeforeEachBoxMessage(std::function<void(const MessageContext&)> action) {
        const WindowHandle box = client.EntryBox();
        MessageHandler own = desktop.SetHandler(box, nullptr);
        desktop.SetHandler(box, [own, action](const MessageContext& message) {
            action(message);
            return own(message);
        });
    }
    // The user types these keys into room 0 after `seconds`.
    void TypeAfter(double seconds, const std::string& keys) {
        desktop.Clock().At(desktop.Clock().Now() + seconds, [this, keys] { client.Type(0, keys); });
    }

    Desktop desktop;
    SimHost host{desktop, StageHost()};
    ChatClient client;
    Dialogs dialogs{desktop};
    DraftKeeper drafts;
    ClientAutomation automation{desktop, host, drafts};
};

bool Is(const MessageContext& message, Message kind) { return message.message == kind; }

// Our line going into the box, in place of the draft: the room is searched for again after it, and the
// box is read right before the press.
bool WriteOfOurLine(const MessageContext& message) {
    return Is(message, EM_REPLACESEL) && *message.setText == Utf8ToWindows1252(expected::kLoaded);
}

// The first read of our line in the box, right before the press.
std::function<bool(const MessageContext&)> ReadOfOurLine(Stage& stage) {
    return [&stage](const MessageContext& message) {
        return Is(message, WM_GETTEXTLENGTH) && stage.desktop.Text(message.window) == expected::kLoaded;
    };
}

// A write of the user's text back into the box.
bool WriteOfTheDraft(const MessageContext& message) {
    return Is(message, EM_REPLACESEL) && message.setText->find("my") != std::string::npos;
}

// A key over our selection of the draft right before our line goes in, in a box that changes our line as
// it takes it (the client's own handler stays, to change it).
std::function<void(Stage&)> KeyRightBeforeOurLineIn(BoxChange change, std::vector<Key> keys = {Key{Key::Kind::Insert, u"k"}}) {
    return [change, keys](Stage& stage) {
        stage.client.SetBoxChange(change);
        const WindowHandle box = stage.client.EntryBox();
        MessageHandler own = stage.desktop.SetHandler(box, nullptr);
        stage.desktop.SetHandler(box, [&stage, own, keys, typed = false](const MessageContext& m) mutable {
            if (!typed && WriteOfOurLine(m))
                for (const Key& key : keys) stage.client.Press(0, key);
            typed = typed || WriteOfOurLine(m);
            return own(m);
        });
    };
}

// The box refuses our line, so that our selection of the whole draft stands until the user's caret goes
// back: the key comes right before that EM_SETSEL is handled, or right after it.
std::function<void(Stage&)> KeyAtTheCaretsReturn(std::string draft, std::size_t start, std::size_t end, Key key, bool after) {
    return [=](Stage& stage) {
        stage.client.SetDraft(0, draft, start, end);
        const WindowHandle box = stage.client.EntryBox();
        MessageHandler own = stage.desktop.SetHandler(box, nullptr);
        stage.desktop.SetHandler(box, [&stage, own, start, end, key, after, done = false](const MessageContext& m) mutable {
            if (WriteOfOurLine(m)) return std::optional<LResult>(0);
            const bool back = Is(m, EM_SETSEL) && m.wParam == static_cast<WParam>(start) && m.lParam == static_cast<LParam>(end);
            if (!done && back && after) stage.desktop.BeforeCall(1, [&stage, key] { stage.client.Press(0, key); });
            if (!done && back && !after) stage.client.Press(0, key);
            done = done || back;
            return own(m);
        });
    };
}

// Backspaces on the draft we gave back (over our line, or into the box Send emptied), while the client
// is busy right after: what they leave is the user's text, however much a box that kept its own with one
// key over our selection would read alike.
std::function<void(Stage&)> BackspacesOnTheDraftGivenBack(int count, bool clientSends) {
    return [=](Stage& stage) {
        stage.client.SetDraft(0, "my words", 8, 8);
        if (!clientSends) stage.client.SetSendBehaviour(SendBehaviour::NeverEmpties);
        stage.OnceAt(WriteOfTheDraft, [&stage, count] {
            stage.desktop.BeforeCall(1, [&stage, count] {
                stage.BusyThen([&stage, count] {
                    for (int i = 0; i < count; ++i) stage.client.Press(0, Key{Key::Kind::Backspace, u""});
                });
            });
        });
    };
}

// The user's key on the whole draft they selected, handled right before our selection of it.
std::function<void(Stage&)> KeyOnTheirWholeSelectionBeforeOurs(Key key) {
    return [=](Stage& stage) {
        stage.client.SetDraft(0, "my words", 0, 8);
        stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 8; },
                     [&stage, key] { stage.client.Press(0, key); });
    };
}

ChatClientOptions RoomSecond() {
    ChatClientOptions options;
    options.mdiChildren = 2;
    options.roomPosition = 2;  // the search for the room dispatches events on its way
    return options;
}

const char* NameOf(PostResult result) {
    switch (result) {
        case PostResult::Posted: return "Posted";
        case PostResult::NoChatRoom: return "NoChatRoom";
        case PostResult::RoomNotAsExpected: return "RoomNotAsExpected";
        case PostResult::RoomClosed: return "RoomClosed";
        case PostResult::NoAnswer: return "NoAnswer";
        case PostResult::NotTaken: return "NotTaken";
        case PostResult::DraftRefused: return "DraftRefused";
        case PostResult::AnotherCopyPosting: return "AnotherCopyPosting";
    }
    return "?";
}

struct FaultCase {
    const char* fault;
    std::function<void(Stage&)> make;
    std::optional<PostResult> result;  // what the post must say, where that matters
    ChatClientOptions options = {};
    // What else must hold once the box has settled: "" or what did not.
    std::function<std::string(Stage&)> also = {};
};

// The line the room received first, and when: the post's own time, with messages taking none.
std::string FirstLineAtOrAfter(Stage& stage, double seconds) {
    if (stage.client.Received().empty()) return "no line was received";
    const double at = stage.client.Received().front().time;
    return at >= seconds ? "" : "the line went at " + std::to_string(at) + " s, before " + std::to_string(seconds) + " s";
}

std::string NothingWrittenInto(Stage& stage, WindowHandle room) {
    for (const SentMessage& sent : stage.desktop.TrafficTo(stage.desktop.Children(room)))
        if (sent.message == WM_SETTEXT || sent.message == EM_REPLACESEL || sent.message == WM_LBUTTONDOWN)
            return "a window of the room got message " + std::to_string(sent.message);
    return "";
}

const std::vector<FaultCase>& FaultCases() {
    static const std::vector<FaultCase> cases = {
        // Only the caret's message went unanswered: the draft is back, and what the user typed since
        // stays (draft_return.cpp, the caret owed alone).
        {"busy right after the caret; the user types on meanwhile",
         [](Stage& stage) {
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 3; }, [&stage] {
                 stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                 stage.TypeAfter(2.0, " and more");
             });
         }},
        // A key the client handles after the read that saw the draft selected, and before our line goes in:
        // it takes the place of the draft, and our line goes in after it (entry_box.cpp, Splice).
        {"a key reaches the box right before our line",
         [](Stage& stage) { stage.OnceAt(WriteOfOurLine, [&stage] { stage.client.Type(0, "k"); }); },
         PostResult::NotTaken},
        // ... in a box that drops our tags, or writes them its own way: the key is still before where our
        // changed line can begin, and is the user's (entry_box.cpp, KeysAroundChangedLine).
        {"a key right before our line, in a box that drops tags", KeyRightBeforeOurLineIn(BoxChange::DropsTags),
         PostResult::NotTaken},
        {"a key right before our line, in a box that rewrites tags", KeyRightBeforeOurLineIn(BoxChange::RewritesTags),
         PostResult::NotTaken},
        // ... but after End and a Backspace there, what stands before our line is what is left of the user's
        // own text, which they edited where they saw it, and no key.
        {"End and a Backspace right before our line",
         KeyRightBeforeOurLineIn(BoxChange::None, {Key{Key::Kind::End, u""}, Key{Key::Kind::Backspace, u""}})},
        {"End and a Backspace right before our line, in a box that drops tags",
         KeyRightBeforeOurLineIn(BoxChange::DropsTags, {Key{Key::Kind::End, u""}, Key{Key::Kind::Backspace, u""}}),
         PostResult::NotTaken},
        {"Home and a Delete right before our line",
         KeyRightBeforeOurLineIn(BoxChange::None, {Key{Key::Kind::Home, u""}, Key{Key::Kind::Delete, u""}})},
        // ... with what is left on both sides of our line, in a box that writes our tags its own way; and a
        // paste after the text, which leaves more than the draft there.
        {"a Left and a Backspace right before our line, in a box that rewrites tags",
         KeyRightBeforeOurLineIn(BoxChange::RewritesTags, {Key{Key::Kind::End, u""}, Key{Key::Kind::Left, u""},
                                                           Key{Key::Kind::Backspace, u""}}),
         PostResult::NotTaken},
        {"End and a paste right before our line",
         KeyRightBeforeOurLineIn(BoxChange::None, {Key{Key::Kind::End, u""}, Key{Key::Kind::Insert, u" \u00E9t\u00E9"}})},
        // A key that begins as the draft does is still a key, typed over our selection.
        {"a key like the draft's first right before our line, in a box that drops tags",
         KeyRightBeforeOurLineIn(BoxChange::DropsTags, {Key{Key::Kind::Insert, u"m"}}), PostResult::NotTaken},
        // Keys typed while the client is busy with our line in the box reach it once the client is free
        // again, into our line, and go into the draft from there (draft_return.cpp, what the user typed
        // meanwhile). Typed during a slow Send instead, they would go to Send, which has the focus then.
        {"keys typed while the client is busy with our line in the box",
         [](Stage& stage) {
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                 stage.TypeAfter(1.0, "k");
             });
         },
         PostResult::NoAnswer},
        // ... and a caret key between them takes the second one into our text: they go back in the order
        // the box holds them, the caret among them (entry_box.cpp, TakeInKeysAmongOurs, NoteCaretAmongOurs).
        {"keys typed at two places in our line while the client is busy",
         [](Stage& stage) {
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                 stage.TypeAfter(1.0, "k");
                 stage.desktop.Clock().At(stage.desktop.Clock().Now() + 1.05, [&stage] {
                     for (int left = 0; left < 2; ++left) stage.client.Press(0, Key{Key::Kind::Left, u""});
                 });
                 stage.TypeAfter(1.1, "j");
             });
         },
         PostResult::NoAnswer},
        // ... and takes a character of our line out, then sends it with Enter: the room gets our line with
        // the user's key, less that character, and the draft comes back (draft_invariants.h, (a)).
        {"the user edits our line and sends it while the client is busy",
         [](Stage& stage) {
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.BusyThen([&stage] {
                     for (const Key::Kind kind : {Key::Kind::Home, Key::Kind::Delete}) stage.client.Press(0, Key{kind, u""});
                     stage.client.Type(0, "k");
                     stage.client.Press(0, Key{Key::Kind::Enter, u""});
                 });
             });
         },
         PostResult::NoAnswer},
        // The write that gives the draft back goes unanswered and never reaches the box (some
        // implementations drop a message whose sender gave up on it): the key typed meanwhile goes into
        // the draft once, not again into the draft that write would have made (draft_return.cpp, the
        // pending write).
        {"the draft's write after a key typed into our line is lost",
         [](Stage& stage) {
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                 stage.TypeAfter(1.0, "k");
                 stage.desktop.SetHandler(stage.client.EntryBox(), [&stage, done = false](const MessageContext& m) mutable
                                          -> std::optional<LResult> {
                     if (done || !Is(m, EM_REPLACESEL) || m.setText->find('k') == std::string::npos) return std::nullopt;
                     done = true;
                     stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                     return 1;  // the box keeps what it held, as if the write had never come
                 });
             });
         },
         PostResult::NoAnswer},
        // A key that reaches the box while the room is searched for after our line went in lands in our
        // line: what the box holds is checked after that search, right before the press (post_to_chat.cpp,
        // SendLine).
        {"a key reaches our line while the room is searched for",
         [](Stage& stage) { stage.OnceAt(WriteOfOurLine, [&stage] { stage.TypeAfter(0, "k"); }); },
         PostResult::NotTaken, RoomSecond()},
        // A Home between the post's question for the caret and its selection, only reads of the text
        // between: no message of ours sees it, and the draft may come back with the caret as it was asked
        // for (intended_draft.h, Landing::OnOwnTextUnseen).
        {"a Home right after the caret is asked for",
         [](Stage& stage) {
             // The client's own handler stays, to see the question.
             const WindowHandle box = stage.client.EntryBox();
             MessageHandler own = stage.desktop.SetHandler(box, nullptr);
             stage.desktop.SetHandler(box, [&stage, own, asked = false](const MessageContext& m) mutable {
                 if (!asked && Is(m, EM_GETSEL))
                     stage.desktop.BeforeCall(2, [&stage] { stage.client.Press(0, Key{Key::Kind::Home, u""}, false); });
                 asked = asked || Is(m, EM_GETSEL);
                 return own(m);
             });
         },
         PostResult::Posted},
        // A key the code page lacks, right before the selection of all the draft (our read under it loses
        // that key): the post gives up on writing, and leaves the user's caret after their key, not our
        // selection over all they typed (draft_return.cpp, KeepTypedIntoOwn).
        {"a key outside the code page right before our selection",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 3, 3);
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL); },
                          [&stage] { stage.client.Press(0, Key{Key::Kind::Insert, u"\u0416"}, false); });
         },
         PostResult::NotTaken},
        // Another room comes to the top while the room is searched for before the press: its Send would
        // send the user's text there (post_to_chat.cpp, StillThere in SendLine).
        {"another room comes to the top before the press",
         [](Stage& stage) {
             stage.OnceAt(WriteOfOurLine, [&stage] {
                 stage.desktop.BeforeCall(2, [&stage] { stage.client.SetDraft(stage.client.OpenRoom(), "other words", 5, 5); });
             });
         },
         PostResult::NotTaken},
        // A Backspace on the user's selection reaches the box right before our selection of all the draft,
        // which the box then cuts to the shorter text: the selection stands, and the Backspace was made to
        // the draft as the user had it, with their caret (entry_box.cpp, TakeInChangeBeforeSelection).
        {"a Backspace right before our selection, which the box cuts",
         [](Stage& stage) {
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 8; },
                          [&stage] { stage.client.Press(0, Key{Key::Kind::Backspace, u""}); });
         },
         PostResult::NotTaken},
        // A Backspace right after the user's caret goes back, before the read that checks it: it is theirs,
        // on their own text, and not undone by the draft written again (draft_return.cpp, CaretAfterEditAt).
        {"a Backspace right after the caret goes back",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 3, 3);
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 3 && m.lParam == 3; },
                          [&stage] { stage.desktop.BeforeCall(1, [&stage] { stage.client.Press(0, Key{Key::Kind::Backspace, u""}); }); });
         },
         PostResult::Posted},
        // ... and a key over our selection of all the draft (left there by a box that refused our line),
        // right before the caret goes back: it took the whole draft, which an edit at the caret could leave
        // only with more keys (draft_return.cpp, TypedOverOurs).
        {"a key over our selection right before the caret goes back",
         KeyAtTheCaretsReturn("my words", 8, 8, Key{Key::Kind::Insert, u"k"}, false), PostResult::NotTaken},
        // ... and the same where a key came between our read and our selection, at the end of the draft,
        // so that the selection covered all of it but that key (as under Wine at fifty keys a second).
        {"a key before our selection and one over it right before the caret goes back",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 8, 8);
             stage.BeforeEachBoxMessage([&stage, keys = 0](const MessageContext& m) mutable {
                 const bool ours = Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 8;
                 const bool back = Is(m, EM_SETSEL) && m.wParam == 9 && m.lParam == 9;
                 if ((keys == 0 && ours) || (keys == 1 && back)) stage.client.Type(0, keys++ == 0 ? "c" : "d");
             });
         },
         PostResult::NotTaken},
        // ... and a Home and a key right before the draft goes back in place of it: they go in before the
        // box's key, and the draft after them (entry_box.cpp, TakeInWriteAtStart).
        {"a key over our selection before the caret goes back, and a Home and a key before the draft's write",
         [](Stage& stage) {
             KeyAtTheCaretsReturn("my words", 8, 8, Key{Key::Kind::Insert, u"k"}, false)(stage);
             stage.BeforeEachBoxMessage([&stage, done = false](const MessageContext& m) mutable {
                 if (!done && WriteOfTheDraft(m)) {
                     stage.client.Press(0, Key{Key::Kind::Home, u""});
                     stage.client.Press(0, Key{Key::Kind::Insert, u"j"});
                 }
                 done = done || WriteOfTheDraft(m);
             });
         },
         PostResult::NotTaken},
        // A key at the draft's end right before our selection, and one over the selection that tears the
        // read after it: the first read showed the first key, which came first (entry_box.cpp, SelectOver).
        {"a key before our selection and one over it that tears the read after it",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 8, 8);
             stage.BeforeEachBoxMessage([&stage, step = 0](const MessageContext& m) mutable {
                 if (step == 0 && Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 8) stage.client.Type(0, "s"), step = 1;
                 else if (step >= 1 && step < 3 && Is(m, WM_GETTEXTLENGTH)) ++step;
                 else if (step == 3 && Is(m, WM_GETTEXT)) stage.client.Type(0, "t"), step = 4;
             });
         },
         PostResult::NotTaken},
        // The user's Backspace, Delete or Enter on all of their draft, which they had selected, right before
        // our selection of it: it left the box empty, as one over our selection would, and both take the
        // whole draft (entry_box.cpp, UsersText::Insert).
        {"a Backspace on the whole draft they selected, right before our selection",
         KeyOnTheirWholeSelectionBeforeOurs(Key{Key::Kind::Backspace, u""})},
        {"a Delete on the whole draft they selected, right before our selection",
         KeyOnTheirWholeSelectionBeforeOurs(Key{Key::Kind::Delete, u""})},
        {"an Enter on the whole draft they selected, right before our selection",
         KeyOnTheirWholeSelectionBeforeOurs(Key{Key::Kind::Enter, u""})},
        {"Backspaces off the draft given back to the emptied box, while the client is busy",
         BackspacesOnTheDraftGivenBack(5, true)},
        {"Backspaces off the draft given back over our line, while the client is busy",
         BackspacesOnTheDraftGivenBack(6, false)},
        // An empty draft given back over our line (an empty write), an End right before it and a key after
        // it: the key is the user's, not part of a write the box took.
        {"an End before the empty draft's write over our line, then a key",
         [](Stage& stage) {
             stage.client.SetDraft(0, "", 0, 0);
             stage.client.SetSendBehaviour(SendBehaviour::NeverEmpties);
             stage.BeforeEachBoxMessage([&stage, done = false](const MessageContext& m) mutable {
                 if (!done && Is(m, EM_REPLACESEL) && m.setText->empty()) {
                     done = true;
                     stage.client.Press(0, Key{Key::Kind::End, u""});
                     stage.desktop.BeforeCall(1, [&stage] { stage.client.Type(0, "k"); });
                 }
             });
         }},
        // ... where a Backspace right after the caret goes back leaves as little: an edit at the caret,
        // which the user made, and not keys over our selection (the deleted text would come back twice).
        {"a Backspace right after the caret goes back, in a box that refused our line",
         KeyAtTheCaretsReturn("my", 2, 2, Key{Key::Kind::Backspace, u""}, true), PostResult::NotTaken},
        // ... and a Delete of the user's own selection to the end, right after it goes back: the caret is
        // where ours would leave it, but one key made it (draft_return.cpp, TypedOverOurs).
        {"a Delete of the user's selection right after it goes back, in a box that refused our line",
         KeyAtTheCaretsReturn("my words", 3, 8, Key{Key::Kind::Delete, u""}, true), PostResult::NotTaken},
        // Send takes the keyboard focus on its button-down: keys typed after the post would go to it, and
        // a Space there would send the draft (chat_room.cpp, PressKeepingFocus).
        {"the user types on after the post", [](Stage& stage) { stage.TypeAfter(3.0, "k"); }},
        // A press the client answers only after the time-out takes the focus when it is handled: it goes
        // back once the client answers again (draft_return.cpp, the press left unanswered).
        {"the user types on after a Send slower than the time-out",
         [](Stage& stage) {
             stage.client.SetSendSeconds(3.0);
             stage.TypeAfter(9.0, "k");
         }},
        // A client that lets Space's press go gets the mouse's next, which takes the focus when the client
        // handles it: handled after the time-out, the focus goes back once the client answers again
        // (draft_return.cpp, ReturnFocus).
        {"the mouse's press is handled after the time-out",
         [](Stage& stage) {
             stage.client.SetSendBehaviour(SendBehaviour::NeedsPresses, 2);
             auto own = std::make_shared<MessageHandler>();
             *own = stage.desktop.SetHandler(stage.client.SendButton(), [&stage, own](const MessageContext& m) {
                 if (Is(m, WM_LBUTTONDOWN) && stage.client.Presses() == 1) stage.desktop.TakeTime(stage.client.Frame(), 3.0);
                 return (*own)(m);
             });
         },
         PostResult::NoAnswer},
        // The user's keyboard is in another room's box: the focus goes back there, not to the room posted to.
        {"the user types in another room",
         [](Stage& stage) {
             stage.client.SetDraft(stage.client.OpenRoom(), "other words", 5, 5);
             stage.client.ActivateRoom(0);
         }},
        // A box that says it took our line and stays empty gets no press, and nothing was posted
        // (chat_room.cpp, taken only after an answered press).
        {"the box says it took our line and stays empty",
         [](Stage& stage) {
             stage.client.SetDraft(0, "", 0, 0);
             stage.client.SetKeepsText(true, true);
         },
         PostResult::NotTaken},
        // Keys that reach the box between the two messages of the read right before our first write make
        // the text longer than announced by more than the spare character: cut to fit, the draft taken
        // would lose its end (window_primitives.cpp, ReadBox: the count of characters and the NUL).
        {"keys reach the box while the draft is read",
         [](Stage& stage) {
             stage.OnceAt([reads = 0](const MessageContext& m) mutable { return Is(m, WM_GETTEXTLENGTH) && ++reads == 2; },
                          [&stage] { stage.desktop.BeforeCall(1, [&stage] { stage.client.Type(0, "kkkk"); }); });
         },
         PostResult::NotTaken},
        // Our line's write is answered late, and lands: though no write was answered, the draft is owed
        // (entry_box.cpp, the write's fate settled by a later read).
        {"our line goes in late",
         [](Stage& stage) { stage.OnceAt(WriteOfOurLine, [&stage] { stage.desktop.TakeTime(stage.client.Frame(), 3.0); }); },
         PostResult::NoAnswer},
        // The write that gives the draft back is answered late, and lands: once a read shows it, the box
        // holds the draft, not keys the user typed (draft_return.cpp, SettleWrite).
        {"the draft's write is answered late",
         [](Stage& stage) { stage.OnceAt(WriteOfTheDraft, [&stage] { stage.desktop.TakeTime(stage.client.Frame(), 3.0); }); }},
        // A key after our last read lands beside the selection we then make; the next one replaces the
        // selection: the first was typed first (entry_box.cpp, TakeInKeysBesideSelection).
        {"a key lands beside our selection, the next one over it",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 8, 8);
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 8; },
                          [&stage] {
                              stage.client.Type(0, "c");
                              stage.desktop.BeforeCall(1, [&stage] { stage.client.Type(0, "d"); });
                          });
         }},
        // A key that reaches the emptied box right before the draft goes back comes before it, over our
        // selection: it goes to the user's caret, not where a Home would have put it (entry_box.cpp,
        // TypedBeforeWriteWent).
        {"a key reaches the emptied box right before the draft goes back",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my words", 8, 8);
             stage.OnceAt(WriteOfTheDraft, [&stage] { stage.client.Type(0, "k"); });
         },
         PostResult::Posted},
        // The box keeps only part of our line: it is neither our line nor the draft with keys, so the draft
        // alone goes back and none of our mark-up stays (entry_box.cpp, a write whose fate is not known).
        {"the box keeps only part of our line",
         [](Stage& stage) {
             stage.desktop.SetHandler(stage.client.EntryBox(), [&stage](const MessageContext& m) -> std::optional<LResult> {
                 if (!WriteOfOurLine(m)) return std::nullopt;
                 const std::string cut = m.setText->substr(0, 10);
                 stage.desktop.DefaultHandling(MessageContext{m.window, m.message, m.wParam, m.lParam, &cut, nullptr});
                 return LResult{0};
             });
         },
         PostResult::NotTaken},
        // A Backspace in our line while a client that never sends keeps it: what is left of it is not the
        // user's typing (entry_box.cpp, KeysSince).
        {"a Backspace in our line",
         [](Stage& stage) {
             stage.client.SetSendBehaviour(SendBehaviour::NeverEmpties);
             stage.OnceAt([&stage](const MessageContext& m) { return Is(m, WM_GETTEXTLENGTH) && stage.client.Presses() == 1; },
                          [&stage] {
                              const std::string line = Utf8ToWindows1252(expected::kLoaded);
                              stage.desktop.SetTextBytes(stage.client.EntryBox(), line.substr(0, line.size() - 1));
                          });
         },
         PostResult::NotTaken},
        // A client that never takes the line gets a few presses, not one a pass for as long as the post
        // may press (post_to_chat.cpp, SendBudget).
        {"the client never takes the line", [](Stage& stage) { stage.client.SetSendBehaviour(SendBehaviour::NeverEmpties); },
         PostResult::NotTaken, {},
         [](Stage& stage) {
             return stage.client.Presses() <= 4 ? "" : std::to_string(stage.client.Presses()) + " presses of a Send that does nothing";
         }},
        // The user typed a moment ago: the post waits for a pause before it takes the box (post_to_chat.cpp,
        // AwaitTypingPause).
        {"the user is typing as the post begins", [](Stage& stage) { stage.client.Type(0, "k"); }, PostResult::Posted, {},
         [](Stage& stage) { return FirstLineAtOrAfter(stage, 0.5); }},
        // ... but not for ever.
        {"the user types without a pause",
         [](Stage& stage) {
             for (int key = 0; key < 200; ++key) stage.TypeAfter(key * 0.2, "k");
         },
         PostResult::Posted, {},
         [](Stage& stage) {
             const std::string early = FirstLineAtOrAfter(stage, 10.0);
             return early.empty() && stage.client.Received().front().time < 10.5 ? "" : "not posted at the wait's bound " + early;
         }},
        // A key right after Send has taken our line: the line went, and the post says so (post_to_chat.cpp,
        // SendLine: the line gone after an answered press).
        {"the user types right after the line went",
         [](Stage& stage) {
             stage.OnceAt([&stage](const MessageContext& m) { return Is(m, WM_GETTEXTLENGTH) && stage.client.Presses() == 1; },
                          [&stage] { stage.client.Type(0, "k"); });
         },
         PostResult::Posted},
        // The client quits with our line in the box: there is no typing to keep (post_to_chat.cpp, PostHold).
        {"the client quits during the post",
         [](Stage& stage) { stage.OnceAt(WriteOfOurLine, [&stage] { stage.desktop.BeforeCall(3, [&stage] { stage.client.Quit(); }); }); },
         PostResult::RoomClosed},
        // One window fewer before the entry box: the box and Send found by their distances are other
        // windows, which are neither written nor pressed (chat_room.cpp, AsExpected).
        {"a room laid out otherwise",
         [](Stage& stage) { stage.desktop.DestroyWindow(stage.desktop.Children(stage.client.Room())[4]); },
         PostResult::RoomNotAsExpected, {},
         [](Stage& stage) { return NothingWrittenInto(stage, stage.client.Room()); }},
        // Another copy of the program holds the entry boxes for two seconds: our line waits its turn
        // (entry_box_claim.h, the wait).
        {"another copy posts meanwhile",
         [](Stage& stage) {
             static const int otherCopy = 0;
             stage.desktop.ClaimEntryBoxes(&otherCopy);
             stage.desktop.Clock().At(2.0, [&stage] { stage.desktop.ReleaseEntryBoxes(&otherCopy); });
         },
         PostResult::Posted, {}, [](Stage& stage) { return FirstLineAtOrAfter(stage, 2.0); }},
        // Keys that reach the box between the two messages of the read before the draft goes back: the
        // draft must not be written over them on a read that does not count (draft_return.cpp, the whole
        // read before the give-back).
        {"keys reach the box while it is read before the draft goes back",
         [](Stage& stage) {
             stage.OnceAt([&stage, reads = 0](const MessageContext& m) mutable {
                 return Is(m, WM_GETTEXTLENGTH) && !stage.client.Received().empty() && ++reads == 2;
             }, [&stage] { stage.desktop.BeforeCall(1, [&stage] { stage.client.Type(0, "kk"); }); });
         }},
        // A room closes while a draft is owed to its box, and the next room to open gets its handles, role
        // by role (handles are given out again): the old draft is the closed room's, and the new room's
        // box keeps the user's own text.
        {"the room of an owed draft closes and a new room gets its handles",
         [](Stage& stage) {
             stage.desktop.SetReusesHandles(true);
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.BusyThen([&stage] {
                     stage.client.CloseRoom(0);
                     stage.client.SetDraft(stage.client.OpenRoom(), "other words", 5, 5);
                 });
             });
         },
         PostResult::NoAnswer},
        // A character the code page lacks, typed into our line while the client is busy: no read of the
        // box is whole any more, and the draft must not stay owed for good. A key typed after Home goes
        // before our line, and the caret stays between the two (draft_return.cpp, NoteCaretAmongKeys).
        {"a key outside the code page reaches our line",
         [](Stage& stage) {
             stage.OnceAt(ReadOfOurLine(stage), [&stage] {
                 stage.BusyThen([&stage] {
                     stage.client.Press(0, Key{Key::Kind::Insert, u"\u0416"});
                     stage.client.Press(0, Key{Key::Kind::Home, u""});
                     stage.client.Type(0, "k");
                 });
             });
         },
         PostResult::NoAnswer},
        // A caret key takes our selection away right before the draft goes back over our line (the client
        // never took it): the draft goes in beside the line, and is not taken for keys typed there
        // (entry_box.cpp, FateOf).
        {"a Left right before the draft goes back over our line",
         [](Stage& stage) {
             stage.client.SetSendBehaviour(SendBehaviour::NeverEmpties);
             stage.OnceAt(WriteOfTheDraft, [&stage] { stage.client.Press(0, Key{Key::Kind::Left, u""}); });
         }},
        // Busy under our selection of all the draft, before our line goes in; a Home takes the selection
        // away, and the user edits their own text where they see it, at both ends and with a Delete (a key
        // the code page lacks among them): the box holds their text, not keys typed over our selection,
        // around which the draft would go in again (entry_box.cpp, EditedOwnUnderOurs).
        {"a Home under our selection of the draft, then edits at both ends",
         [](Stage& stage) {
             stage.client.SetDraft(0, "my own words", 3, 3);
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam > 0; }, [&stage] {
                 stage.BusyThen([&stage] {
                     for (const Key::Kind kind : {Key::Kind::Home, Key::Kind::Delete}) stage.client.Press(0, Key{kind, u""});
                     stage.client.Press(0, Key{Key::Kind::Insert, u"\u0416"});
                     stage.client.Press(0, Key{Key::Kind::End, u""});
                     stage.client.Type(0, "k");
                 });
             });
         },
         PostResult::NoAnswer},
        // The same with a short draft, typed into at one place after the Home: all of it is still there,
        // so the keys go where the user typed them, not at the caret they had before.
        {"a Home under our selection of a short draft, then a key",
         [](Stage& stage) {
             stage.client.SetDraft(0, "ab", 1, 1);
             stage.OnceAt([](const MessageContext& m) { return Is(m, EM_SETSEL) && m.wParam == 0 && m.lParam == 2; }, [&stage] {
                 stage.BusyThen([&stage] {
                     stage.client.Press(0, Key{Key::Kind::Home, u""});
                     stage.client.Type(0, "k");
                 });
             });
         },
         PostResult::NoAnswer},
        // A box that holds forty characters, and more keys pasted into it once our line has gone than fit
        // beside the draft: those that do not fit go, as the box would have refused them, and nothing
        // stays owed to a box that cannot hold it (draft_return.cpp, WriteDraft).
        {"a box of forty characters, more keys than fit once our line went",
         [](Stage& stage) {
             stage.client.SetBoxChange(BoxChange::None, 40);
             // The client's own handler stays, to hold the box to its forty characters.
             const WindowHandle box = stage.client.EntryBox();
             MessageHandler own = stage.desktop.SetHandler(box, nullptr);
             stage.desktop.SetHandler(box, [&stage, own, typed = false](const MessageContext& m) mutable {
                 if (!typed && Is(m, WM_GETTEXTLENGTH) && !stage.client.Received().empty()) {
                     typed = true;
                     stage.client.Type(0, std::string(36, 'k'));
                 }
                 return own(m);
             });
         },
         PostResult::Posted},
        // Another copy presses a dialog's icon while the client is busy, and ends before it answers, its
        // claim with it: our dialog timer must not press behind the message it left (dialog_dismissal.cpp).
        {"a copy that ended left a dialog's press unanswered",
         [](Stage& stage) {
             DialogOptions stays;
             stays.closeOnDismiss = false;
             stage.desktop.JoinThread(stage.dialogs.Open(DialogKind::Modal, stays), stage.client.Frame());
             stage.desktop.Clock().At(1.0, [&stage] {
                 stage.desktop.TakeTime(stage.client.Frame(), 4.0);
                 DraftKeeper endedDrafts;
                 CopyBackEnd endedWindows(stage.desktop);
                 ClientAutomation(endedWindows, stage.host, endedDrafts).DismissModal();
                 stage.desktop.ReleaseEntryBoxes(&endedDrafts);
             });
             stage.desktop.Clock().At(3.5, [&stage] { stage.automation.DismissModal(); });
         },
         PostResult::Posted},
    };
    return cases;
}

TEST(DraftFaults, EachFaultLeavesTheDraftWhole) {
    for (const FaultCase& c : FaultCases()) {
        Stage stage(c.options);
        c.make(stage);
        const PostResult result = stage.automation.PostToChat(expected::kLoaded);
        stage.automation.WaitSeconds(std::chrono::seconds(20));
        std::size_t linesSeen = 0;
        EXPECT_EQ(BrokenInvariant(stage.desktop, stage.client, linesSeen, true), "") << c.fault;
        EXPECT_FALSE(stage.drafts.Owes()) << c.fault;
        if (c.result) EXPECT_STREQ(NameOf(result), NameOf(*c.result)) << c.fault;
        if (c.also) EXPECT_EQ(c.also(stage), "") << c.fault;
    }
}

// A second copy of the program, started by mistake, posts at every step of a post of the first: it must
// leave the box alone, or each copy takes the other's line for the user's draft.
TEST(DraftFaults, TwoCopiesNeverPostIntoOneBoxAtOnce) {
    for (long call = 1; call < 60; ++call) {
        Stage stage({});
        DraftKeeper secondDrafts;
        CopyBackEnd secondWindows(stage.desktop);  // its own back end, and so its own hold
        ClientAutomation second(secondWindows, stage.host, secondDrafts);
        std::optional<PostResult> secondResult;
        stage.desktop.BeforeCall(call, [&] { secondResult = second.PostToChat(expected::kOff); });
        const PostResult first = stage.automation.PostToChat(expected::kLoaded);
        stage.automation.WaitSeconds(std::chrono::seconds(20));
        std::size_t linesSeen = 0;
        EXPECT_EQ(BrokenInvariant(stage.desktop, stage.client, linesSeen, true), "") << "second copy at call " << call;
        EXPECT_STREQ(NameOf(first), "Posted") << "second copy at call " << call;
        if (secondResult) EXPECT_STREQ(NameOf(*secondResult), "AnotherCopyPosting") << "at call " << call;
    }
}

// A copy whose post left a draft owed holds the boxes until the draft is back, and on through its next
// post, which gives the draft back first: another copy's post meanwhile would take our line, still in the
// box, for the user's draft.
TEST(DraftFaults, ASecondCopyPostsNothingWhileTheFirstOwesADraft) {
    for (long call = 1; call < 80; ++call) {
        Stage stage({});
        stage.OnceAt(WriteOfOurLine, [&stage] { stage.desktop.TakeTime(stage.client.Frame(), 3.0); });
        ASSERT_STREQ(NameOf(stage.automation.PostToChat(expected::kLoaded)), "NoAnswer");
        ASSERT_TRUE(stage.drafts.Owes());
        stage.desktop.Clock().AdvanceBy(10);  // the client answers again before the first copy tries again
        DraftKeeper secondDrafts;
        CopyBackEnd secondWindows(stage.desktop);  // its own back end, and so its own hold
        ClientAutomation second(secondWindows, stage.host, secondDrafts);
        if (call == 1) EXPECT_STREQ(NameOf(second.PostToChat(expected::kOff)), "AnotherCopyPosting");
        std::optional<PostResult> secondResult;
        stage.desktop.BeforeCall(call, [&] { secondResult = second.PostToChat(expected::kOff); });
        stage.automation.PostToChat(expected::kLoaded);
        stage.automation.WaitSeconds(std::chrono::seconds(20));
        std::size_t linesSeen = 0;
        EXPECT_EQ(BrokenInvariant(stage.desktop, stage.client, linesSeen, true), "") << "second copy at call " << call;
        EXPECT_FALSE(stage.drafts.Owes());
        if (secondResult) EXPECT_STREQ(NameOf(*secondResult), "AnotherCopyPosting") << "at call " << call;
    }
}

// What the box holds besides a text we wrote: keys typed into it at one place, wherever the user's caret
// was, so that a draft that came back with keys in its middle is not taken for one that never came.
TEST(DraftFaults, KeysTypedIntoATextAreFoundWhereverTheyWent) {
    const struct {
        const char* now;
        const char* text;
        std::size_t at;
    } cases[] = {
        {"my kwords", "my words", 3}, {"kmy words", "my words", 0}, {"my wordsk", "my words", 8},
        {"my words", "my words", 8},  {"aXa", "aa", 1},              {"kk", "", 0},
        {"my word", "my words", std::string::npos}, {"my wor s", "my words", std::string::npos},
        // Characters that begin with the same bytes: the keys begin at a character, not inside one.
        {"\u00F1\u00F2\u00ED\u00E1", "\u00ED\u00E1", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClientAutomation::KeysTypedAt(c.now, c.text), c.at) << "\"" << c.now << "\" from \"" << c.text << "\"";
}

// A key that reaches the box right after our line went in (before, or between, the two messages of the
// read that follows): it stays after our line, where the read finds it, and goes back into the draft
// (entry_box.cpp, the write's fate and the keys around it).
TEST(DraftFaults, KeyRightAfterOurLineGoesIn) {
    for (long call = 1; call <= 3; ++call) {
        Stage stage({});
        stage.OnceAt(WriteOfOurLine, [&stage, call] {
            stage.desktop.BeforeCall(call, [&stage] { stage.client.Type(0, "k"); });
        });
        stage.automation.PostToChat(expected::kLoaded);
        stage.automation.WaitSeconds(std::chrono::seconds(20));
        std::size_t linesSeen = 0;
        EXPECT_EQ(BrokenInvariant(stage.desktop, stage.client, linesSeen, true), "") << "key before call " << call;
    }
}

// Another room comes to the top right after the post's first read: the post stops there, before it takes
// the draft, and writes nothing into the box the user has left (chat_room.cpp, StillThere).
TEST(DraftFaults, AnotherRoomOnTopBeforeTheDraftIsTakenLeavesTheFirstBoxUntouched) {
    Stage stage({});
    const WindowHandle first = stage.client.EntryBox();
    stage.OnceAt([](const MessageContext& m) { return Is(m, WM_GETTEXT); }, [&stage] {
        stage.desktop.BeforeCall(1, [&stage] { stage.client.SetDraft(stage.client.OpenRoom(), "other words", 5, 5); });
    });
    EXPECT_STREQ(NameOf(stage.automation.PostToChat(expected::kLoaded)), "NotTaken");
    for (const SentMessage& sent : stage.desktop.TrafficTo(first)) {
        EXPECT_NE(sent.message, WM_SETTEXT);
        EXPECT_NE(sent.message, EM_REPLACESEL);
    }
    std::size_t linesSeen = 0;
    EXPECT_EQ(BrokenInvariant(stage.desktop, stage.client, linesSeen, true), "");
}

// A name the user gave us with a character the code page lacks reaches the box as another character: the
// box then holds our line in that form, which must still be pressed as ours and never be kept as theirs.
TEST(DraftFaults, OurLineOutsideTheCodePageIsSentAndNeverKeptAsTheUsersText) {
    Stage stage({});
    const std::string line = AdvertLine("home", "Zo\u00EB \u03A9");
    const PostResult result = stage.automation.PostToChat(line);
    EXPECT_STREQ(NameOf(result), "Posted");
    ASSERT_EQ(stage.client.Received().size(), 1u);
    EXPECT_EQ(Windows1252ToUtf8(stage.client.Received()[0].bytes), stage.desktop.ThroughCodePage(line));
    EXPECT_EQ(stage.desktop.TextBytes(stage.client.EntryBox()), "my words");
    EXPECT_TRUE(stage.desktop.SelectionOf(stage.client.EntryBox()) == stage.client.UserSelection(0));
}

}  // namespace
}  // namespace vorivevo::sim
