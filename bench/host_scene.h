#pragma once

// A plan of a million entities for the host's benchmarks: a grid of rooms, each with its wall
// lines, a door swing, a column, a grid bubble and a label, as the assistant's forms draw them.

#include "cad/model/Drawing.h"

#include <cmath>
#include <string>

inline cad::Drawing hostBenchScene(std::size_t entities)
{
    cad::Drawing d;
    d.beginGroup("BENCH");
    const std::size_t perCell = 10;
    const auto cells = entities / perCell;
    const auto side = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(cells))));
    for (std::size_t k = 0; k < cells; ++k) {
        const double x = static_cast<double>(k % side) * 4000, y = static_cast<double>(k / side) * 4000;
        cad::Entity e;
        const auto line = [&](double x1, double y1, double x2, double y2) {
            e = cad::Entity{};
            e.type = cad::Entity::Type::Line;
            e.a = {x + x1, y + y1};
            e.b = {x + x2, y + y2};
            d.add(e);
        };
        line(0, 50, 3600, 50);
        line(0, -50, 3600, -50);
        line(50, 50, 50, -50);
        line(3550, -50, 3550, 50);
        line(850, 50, 850, -50);
        line(50, -50, 50, -850);
        e = cad::Entity{};
        e.type = cad::Entity::Type::Arc;
        e.centre = {x + 50, y - 50};
        e.radius = 800;
        e.startAngle = 270;
        e.endAngle = 0;
        d.add(e);
        e = cad::Entity{};
        e.type = cad::Entity::Type::Circle;
        e.centre = {x + 2000, y + 1500};
        e.radius = 350;
        e.color = 1;
        d.add(e);
        e = cad::Entity{};
        e.type = cad::Entity::Type::Text;
        e.insert = {x + 2000, y + 1500};
        e.height = 300;
        e.text = "X" + std::to_string(k % 100);
        d.add(e);
        e = cad::Entity{};
        e.type = cad::Entity::Type::Polyline;
        e.vertices = {{x + 3000, y + 3000}, {x + 3300, y + 3000}, {x + 3300, y + 3300}, {x + 3000, y + 3300}};
        e.closed = true;
        e.startWidth = e.endWidth = 20;
        d.add(e);
    }
    d.endGroup();
    d.forgetHistory();
    return d;
}
