// When a pointer's moves end the saver: more than 4 pixels, horizontal plus
// vertical, from where it entered (or was first seen), however the moves
// are cut up; a new entry or a leave starts the measure again.
#include <gtest/gtest.h>
#include <vector>
#include "wayland/pointer_travel.h"

namespace {

enum Kind { Enter, Move, Leave };

struct Event {
    Kind kind;
    double x;
    double y;
};

}  // namespace

TEST(PointerTravel, OnlyAMoveOfMoreThanFourPixelsFromTheAnchorEndsTheSaver)
{
    const struct {
        const char* what;
        std::vector<Event> events;
        int endsAt;                     // the event that ends the saver, -1 for none
    } cases[] = {
        {"moves that stay within 4 pixels of the entry",
         {{Enter, 100, 100}, {Move, 102, 100}, {Move, 104, 100}, {Move, 102, 102}, {Move, 96, 100}}, -1},
        {"5 pixels, horizontal plus vertical", {{Enter, 100, 100}, {Move, 103, 102}}, 1},
        {"a fraction of a pixel beyond 4", {{Enter, 100, 100}, {Move, 95.75, 100}}, 1},
        {"small steps add up", {{Enter, 100, 100}, {Move, 101, 100}, {Move, 102, 100}, {Move, 103, 100},
                                {Move, 104, 100}, {Move, 105, 100}}, 5},
        {"a motion before any entry is where the measure starts",
         {{Move, 500, 500}, {Move, 503, 500}, {Move, 505, 500}}, 2},
        {"entering another surface starts the measure there",
         {{Enter, 100, 100}, {Move, 103, 100}, {Enter, 0, 0}, {Move, 3, 0}}, -1},
        {"after a leave the next motion starts the measure",
         {{Enter, 100, 100}, {Leave, 0, 0}, {Move, 900, 900}, {Move, 904, 900}, {Move, 905, 900}}, 4},
    };
    for (const auto& c : cases) {
        PointerAnchor anchor = {false, 0, 0};
        int endsAt = -1;
        for (size_t i = 0; i < c.events.size() && endsAt < 0; ++i) {
            const Event& event = c.events[i];
            if (event.kind == Enter)
                AnchorPointer(&anchor, event.x, event.y);
            else if (event.kind == Leave)
                DropPointerAnchor(&anchor);
            else if (PointerTravelledTooFar(&anchor, event.x, event.y))
                endsAt = static_cast<int>(i);
        }
        EXPECT_EQ(c.endsAt, endsAt) << c.what;
    }
}
