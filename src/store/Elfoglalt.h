#pragma once

namespace Adatbazis {

// Held while a statement of this connection steps and the window keeps its events going
// (the free SQL window's progress calls, the export's pass over a view, an archive): nothing
// else may use the connection then. SQLite forbids a statement from inside its progress
// handler, and a re-read of the cursors would move the rows under the pass. The change
// watcher and whatever else a timer or an activation starts ask elfoglalt() and leave it.
class Elfoglalt {
public:
    Elfoglalt() { ++s_szint; }
    ~Elfoglalt() { --s_szint; }
    Elfoglalt(const Elfoglalt &) = delete;
    Elfoglalt &operator=(const Elfoglalt &) = delete;

    static bool van() { return s_szint > 0; }

private:
    static inline int s_szint = 0;   // nested: a fetch inside a run
};

inline bool elfoglalt() { return Elfoglalt::van(); }

}
