#pragma once

// Process-wide switches of the entry controls: the touch entry switch opens the on-screen
// keyboard or number pad on a touch, the input lists switch keeps lists of earlier entries.
// Each has a plain and a wide-text variant, set together by the application's settings.
struct TEntrySwitches {
    static inline bool TouchEntry = false;
    static inline bool TouchEntryWide = false;
    static inline bool InputLists = false;
    static inline bool InputListsWide = false;
};
