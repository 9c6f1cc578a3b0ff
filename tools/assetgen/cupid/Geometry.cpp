#include "Geometry.h"

#include <algorithm>
#include <map>

namespace assetgen::cupid {

Vec3 SurfaceNormal(const std::function<Vec3(float, float)>& at, float u, float v, bool flip) {
    const float e = 1e-3f;
    const float vc = std::clamp(v, 0.004f, 0.996f);
    const Vec3 du = at(u + e, vc) - at(u - e, vc);
    const Vec3 dv = at(u, std::min(vc + e, 1.f)) - at(u, std::max(vc - e, 0.f));
    Vec3 n = Normalize(Cross(du, dv));
    return flip ? n * -1.f : n;
}

VertexRig AutoWeights(Vec3 p, const std::vector<int>& bones) {
    VertexRig r;
    std::vector<std::pair<float, int>> w;
    for (int b : bones) {
        const Vec3 a = RestJoint(b), e = RestEnd(b);
        const Vec3 ab = e - a;
        const float t = std::clamp(Dot(p - a, ab) / std::max(Dot(ab, ab), 1e-6f), 0.f, 1.f);
        const float d = Length(p - (a + ab * t)) + 0.02f;
        w.push_back({1.f / (d * d * d * d), b});
    }
    std::sort(w.begin(), w.end(), [](auto& x, auto& y) { return x.first > y.first || (x.first == y.first && x.second < y.second); });
    float sum = 0;
    for (size_t i = 0; i < 3 && i < w.size(); ++i) sum += w[i].first;
    for (size_t i = 0; i < 3 && i < w.size(); ++i) {
        r.bone[i] = uint8_t(w[i].second);
        r.weight[i] = w[i].first / sum;
    }
    return r;
}

size_t CTopology::Add(const SurfaceDef& s) {
    const size_t first = rest.size();
    const int cols = s.closedU ? s.nu : s.nu + 1;
    // Outward orientation: compare the parametric normal with the way out from the centre.
    Vec3 centre{};
    int count = 0;
    for (int j = 0; j <= s.nv; ++j)
        for (int i = 0; i < cols; ++i) {
            centre = centre + s.at(float(i) / s.nu, float(j) / s.nv);
            ++count;
        }
    centre = centre * (1.f / float(count));
    float outness = 0;
    for (int j = 1; j < s.nv; ++j)
        for (int i = 0; i < s.nu; ++i) {
            const float u = (i + 0.5f) / s.nu, v = (j + 0.5f) / s.nv;
            outness += Dot(SurfaceNormal(s.at, u, v, false), s.at(u, v) - centre);
        }
    const bool flip = s.closedU ? outness < 0 : s.flipOut;

    // Positions (poles collapse to one).
    std::vector<std::vector<uint16_t>> pos(size_t(s.nv + 1), std::vector<uint16_t>(size_t(s.nu + 1)));
    auto addPos = [&](float u, float v) {
        const Vec3 p = s.at(u, v);
        VertexRig r = s.kind == RigKind::kSkin && !s.bones.empty() ? AutoWeights(p, s.bones) : VertexRig{};
        r.kind = s.kind;
        if (s.rig) s.rig(r, p, u, v);
        rest.push_back(p);
        rigs.push_back(r);
        return uint16_t(rest.size() - 1);
    };
    for (int j = 0; j <= s.nv; ++j) {
        const float v = float(j) / s.nv;
        const bool pole = (j == 0 && s.poleStart) || (j == s.nv && s.poleEnd);
        if (pole) {
            const uint16_t p = addPos(0.f, v);
            for (auto& x : pos[size_t(j)]) x = p;
            continue;
        }
        for (int i = 0; i < cols; ++i) pos[size_t(j)][size_t(i)] = addPos(float(i) / s.nu, v);
        if (s.closedU) pos[size_t(j)][size_t(s.nu)] = pos[size_t(j)][0];
    }
    // Corners, one per grid point, with the island's coordinates.
    std::vector<std::vector<uint16_t>> cor(size_t(s.nv + 1), std::vector<uint16_t>(size_t(s.nu + 1)));
    for (int j = 0; j <= s.nv; ++j) {
        // A pole is one corner in the middle of its row: the texture there is one colour.
        const bool pole = (j == 0 && s.poleStart) || (j == s.nv && s.poleEnd);
        for (int i = 0; i <= s.nu; ++i) {
            if (pole && i > 0) {
                cor[size_t(j)][size_t(i)] = cor[size_t(j)][0];
                continue;
            }
            const float u = pole ? 0.5f : float(i) / s.nu;
            const float v = float(j) / s.nv;
            texCoords.push_back({(float(s.island.x) + u * float(s.island.w)) / float(atlasSize),
                                 (float(s.island.y) + v * float(s.island.h)) / float(atlasSize)});
            corners.push_back({pos[size_t(j)][size_t(i)], uint16_t(texCoords.size() - 1)});
            cor[size_t(j)][size_t(i)] = uint16_t(corners.size() - 1);
        }
    }
    auto tri = [&](uint16_t a, uint16_t b, uint16_t c) {
        if (corners[a].nPosition == corners[b].nPosition || corners[b].nPosition == corners[c].nPosition ||
            corners[a].nPosition == corners[c].nPosition)
            return;
        if (!flip) triangles.push_back({a, b, c});
        else triangles.push_back({a, c, b});
        if (s.twoSided) {
            if (!flip) triangles.push_back({a, c, b});
            else triangles.push_back({a, b, c});
        }
    };
    for (int j = 0; j < s.nv; ++j)
        for (int i = 0; i < s.nu; ++i) {
            const uint16_t a = cor[size_t(j)][size_t(i)], b = cor[size_t(j)][size_t(i + 1)];
            const uint16_t c = cor[size_t(j + 1)][size_t(i + 1)], d = cor[size_t(j + 1)][size_t(i)];
            tri(a, b, c);
            tri(a, c, d);
        }
    if (s.paint) {
        m_Painted.push_back(s);
        m_Painted.back().flipOut = flip;
    }
    return first;
}

void CTopology::Paint(CAtlas& atlas, int pad) const {
    for (const SurfaceDef& s : m_Painted) {
        const Island& is = s.island;
        for (int y = is.y - pad; y < is.y + is.h + pad; ++y) {
            if (y < 0 || y >= atlas.Height()) continue;
            for (int x = is.x - pad; x < is.x + is.w + pad; ++x) {
                if (x < 0 || x >= atlas.Width()) continue;
                Texel t;
                t.u = std::clamp((float(x - is.x) + 0.5f) / float(is.w), 0.f, 1.f);
                t.v = std::clamp((float(y - is.y) + 0.5f) / float(is.h), 0.f, 1.f);
                t.p = s.at(t.u, t.v);
                t.n = SurfaceNormal(s.at, t.u, t.v, s.flipOut);
                atlas.At(x, y) = s.paint(t);
            }
        }
    }
}

void CTopology::SwapPositions(size_t a, size_t b) {
    if (a == b) return;
    std::swap(rest[a], rest[b]);
    std::swap(rigs[a], rigs[b]);
    for (MeshCorner& c : corners) {
        if (c.nPosition == a) c.nPosition = uint16_t(b);
        else if (c.nPosition == b) c.nPosition = uint16_t(a);
    }
}

size_t CTopology::Nearest(Vec3 p, size_t first, size_t last) const {
    size_t best = first;
    float bd = 1e30f;
    for (size_t i = first; i < last && i < rest.size(); ++i) {
        const float d = Length(rest[i] - p);
        if (d < bd) { bd = d; best = i; }
    }
    return best;
}

namespace {

Vec3 CatmullRom(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float t) {
    const float t2 = t * t, t3 = t2 * t;
    return (p1 * 2.f + (p2 - p0) * t + (p0 * 2.f - p1 * 5.f + p2 * 4.f - p3) * t2 + (p1 * 3.f - p0 - p2 * 3.f + p3) * t3) * 0.5f;
}

}  // namespace

TubeFrame TubeFrameAt(const Tube& tube, float s) {
    const int n = int(tube.keys.size());
    s = std::clamp(s, 0.f, 1.f);
    const float x = s * float(n - 1);
    const int i = std::min(int(x), n - 2);
    const float t = x - float(i);
    auto key = [&](int k) { return tube.keys[size_t(std::clamp(k, 0, n - 1))]; };
    auto pt = [&](int k) {
        if (k < 0) return key(0).c * 2.f - key(1).c;
        if (k >= n) return key(n - 1).c * 2.f - key(n - 2).c;
        return key(k).c;
    };
    auto eval = [&](float tt) { return CatmullRom(pt(i - 1), pt(i), pt(i + 1), pt(i + 2), tt); };
    TubeFrame f;
    f.c = eval(t);
    const float e = 1e-3f;
    f.t = Normalize(eval(std::min(t + e, 1.f + e)) - eval(std::max(t - e, -e)));
    f.n = Normalize(tube.refN - f.t * Dot(tube.refN, f.t));
    f.b = Cross(f.t, f.n);
    // Radii follow the same smooth curve, so the sides show no creases at the keys.
    auto radius = [&](float TubeKey::*r) {
        const float r1 = key(i).*r, r2 = key(i + 1).*r;
        const float r0 = i > 0 ? key(i - 1).*r : r1, r3 = i + 2 < n ? key(i + 2).*r : r2;
        const float t2 = t * t, t3 = t2 * t;
        const float v = 0.5f * (2 * r1 + (r2 - r0) * t + (2 * r0 - 5 * r1 + 4 * r2 - r3) * t2 + (3 * r1 - r0 - 3 * r2 + r3) * t3);
        return std::max(v, 0.2f * std::min(r1, r2));
    };
    f.rn = radius(&TubeKey::rn);
    f.rb = radius(&TubeKey::rb);
    return f;
}

Vec3 TubePoint(const Tube& tube, float u, float v) {
    const float theta = tube.theta0 + 2.f * kPi * u;
    const float body0 = tube.capStart, body1 = 1.f - tube.capEnd;
    float s, capT = 1.f;  // capT: sine of the cap angle (1 in the body)
    float along = 0.f;    // distance beyond the end key, in radii
    if (v < body0) {
        const float a = (v / body0) * kPi * 0.5f;
        capT = std::sin(a);
        along = -std::cos(a);
        s = 0.f;
    } else if (v > body1) {
        const float a = ((1.f - v) / tube.capEnd) * kPi * 0.5f;
        capT = std::sin(a);
        along = std::cos(a);
        s = 1.f;
    } else {
        s = (body1 > body0) ? (v - body0) / (body1 - body0) : 0.f;
    }
    const TubeFrame f = TubeFrameAt(tube, s);
    // The bulge sees the angle from the section's normal (0 = towards refN).
    const float k = tube.bulge ? tube.bulge(std::fmod(theta, 2.f * kPi), s) : 1.f;
    const float ct = std::cos(theta), sn = std::sin(theta);
    const Vec3 radial = f.n * (ct * f.rn * k) + f.b * (sn * f.rb * k);
    const float endR = std::min(f.rn, f.rb) * k;
    return f.c + radial * capT + f.t * (along * endR);
}

}  // namespace assetgen::cupid
