#pragma once
// What the cupid asks of the scene while he runs; the scene implements it.
// The actors never see the scene itself: what they ask the scene to do in
// return ("aim here", "the arrow arrived") comes back from their updates.
#include <cstdint>

class IActorEvents {
public:
    // The camera path being filmed and its key: the cupid's choice of idle
    // pass follows them.
    virtual int32_t CurrentCamera() const = 0;
    virtual int32_t CurrentKey() const = 0;
    // The arrow leaves the bow: the shot's sound and log line.
    virtual void ShotReleased() = 0;

protected:
    ~IActorEvents() = default;
};
