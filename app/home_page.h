// The author's home page, which the Help menu opens: the project has no web
// site, so it is the read-me installed with the program, opened by the
// desktop in the user's browser or viewer. When that cannot be done the
// user is told, in a box naming the page. One implementation per system.
#pragma once

namespace kelmoro {

void OpenHomePage();

}  // namespace kelmoro
