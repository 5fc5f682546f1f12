import numpy as np
import pytest

import qeldbio


def area(p):
    x, y = p[:, 0], p[:, 1]
    return 0.5 * abs(np.dot(x, np.roll(y, -1)) - np.dot(y, np.roll(x, -1)))


def test_polygons_intersect():
    a = np.array([[0, 0], [2, 0], [2, 2], [0, 2]], dtype=float)
    b = a + 1.0
    relation, polys = qeldbio.polygons_intersect(a, b)
    assert relation == 2 and len(polys) == 1
    assert polys[0].shape[1] == 2 and polys[0].dtype == np.float64
    assert area(polys[0]) == pytest.approx(1.0)
    assert polys[0].min(axis=0) == pytest.approx([1, 1])
    relation, polys = qeldbio.polygons_intersect(a, a + 5.0)
    assert relation == 0 and polys == []
    small = np.array([[0.5, 0.5], [1, 0.5], [1, 1]])
    relation, polys = qeldbio.polygons_intersect(small, a)
    assert relation == 3 and area(polys[0]) == pytest.approx(area(small))
    with pytest.raises(ValueError, match=r"\(n, 2\)"):
        qeldbio.polygons_intersect(a.ravel(), b)
    with pytest.raises(ValueError, match="at least 3"):
        qeldbio.polygons_intersect(a[:2], b)
    with pytest.raises(ValueError):
        qeldbio.polygons_intersect(np.full((4, 2), np.nan), b)
    # More vertices than the vertex-linking engine's pool holds: the clipping engine answers.
    t = np.linspace(0, 2 * np.pi, 3000, endpoint=False)
    circle = np.column_stack([np.cos(t), np.sin(t)])
    relation, polys = qeldbio.polygons_intersect(circle, circle + 0.5)
    assert relation == 2 and 0.5 < area(polys[0]) < np.pi


def test_point_in_polygon():
    poly = np.array([[0, 0], [4, 0], [4, 3], [0, 3]], dtype=float)
    assert qeldbio.point_in_polygon((1, 1), poly) == 1
    assert qeldbio.point_in_polygon((5, 1), poly) == 0
    assert qeldbio.point_in_polygon((4, 1.5), poly) == 2
    pts = np.array([[1, 1], [5, 1], [4, 1.5], [-1, -1]])
    assert qeldbio.point_in_polygon(pts, poly).tolist() == [1, 0, 2, 0]
    with pytest.raises(ValueError):
        qeldbio.point_in_polygon((1, 2, 3), poly)
    with pytest.raises(ValueError):
        qeldbio.point_in_polygon(pts, poly[:, :1])
