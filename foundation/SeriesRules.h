#pragma once

// Rules of recurring series shared by the record commands and the series editor.

namespace platform { class Connection; }

namespace SeriesRules {

// Numbers the rows of a series 1..n in date order (rows of one date in the order the engine returns them)
// and gives each the series size n, over all data sheets. Runs on the caller's connection, inside the
// caller's transaction when there is one. Returns n.
int RenumberSeries(platform::Connection &cn, int grpId);

} // namespace SeriesRules
