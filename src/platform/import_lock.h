#pragma once
// One import at a time for the user, across every Quorvane they run: two at
// once into the same folder would each miss what the other stores and store
// it twice, and a script started at log-on must not race the window.

namespace quorvane {

class ImportLock {
public:
    virtual ~ImportLock() = default;
    // False when another Quorvane of this user's session holds it.
    virtual bool tryTake() = 0;
    // Lets it go; taking it again is allowed.
    virtual void release() = 0;
};

} // namespace quorvane
