#pragma once
// Where a piece lies: the piece strip (the box), the board, or a tray.

enum class ContainerKind : int { Strip = 0, Board = 1, Tray = 2 };
