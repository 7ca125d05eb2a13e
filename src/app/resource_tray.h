// Resource identifier of the tray pictures (twelve 16 x 16 pictures in one strip,
// drawn by tools/trayicons/make_trayicons.py).
#pragma once
#define IDB_TRAYICONS 300
