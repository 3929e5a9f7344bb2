#pragma once
#include <QString>

// Told of every test file the program has just written, after the write succeeded (the test
// index keeps itself current through it). Handed to the data module at start-up; the call must
// return at once: whatever it does with the file happens elsewhere.
class TTestSavedIFace {
public:
    virtual ~TTestSavedIFace() = default;
    virtual void TestSaved(const QString& fileName) = 0;
};
