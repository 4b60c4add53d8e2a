#pragma once

namespace feed {

// Outcome of every load: 0 loaded, 1 not read or download failed, 2 not an
// XML text, 3 repair or parse failed (also a failed save), 4 the feed cannot be
// read, 5 an unexpected error.
enum LoadStatus : int {
    kLoaded = 0,
    kNotRead = 1,
    kNotXml = 2,
    kUnreadable = 3,
    kNotAFeed = 4,
    kUnexpected = 5,
};

}  // namespace feed
