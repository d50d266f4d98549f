// The servo moves in what the host sent to the controller: each MOVE frame
// (E6, motor, position) as (motor, position), in order.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

inline std::vector<std::pair<int, int>> ServoMovesOnWire(const std::vector<uint8_t>& wire) {
    std::vector<std::pair<int, int>> moves;
    for (size_t i = 0; i + 2 < wire.size(); ++i)
        if (wire[i] == 0xE6) {
            moves.emplace_back(wire[i + 1], wire[i + 2]);
            i += 2;
        }
    return moves;
}
