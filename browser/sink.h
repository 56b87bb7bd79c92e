// The browser sink: the one browser window that the library drives, and the receiver of its events. The
// application object owns at most one. Its members come with the browser window functions; until then the
// library never makes one.
#pragma once

class CIEComCtrlSink {};
