#pragma once
// The simulation of a billboard particle system: spawning, motion, and the
// camera-facing quads written as format-322 vertices. The device side
// (buffers, texture, drawing) is CParticleSystem.
#include <cstdint>
#include <vector>

#include "ClassRender/D3DXMath.h"
#include "scene/SceneVertex.h"

struct Particle {
    D3DXVECTOR3 vPosition;
    D3DXVECTOR3 vDirection;  // unit length
    float fAngle;            // radians
    float fSpin;             // radians per second
    float fSize;
    float fLife;             // seconds
};

struct ParticleSizes {
    float fSizeMin;
    float fSizeMax;
    float fLifetime;
};

// a + rand() * (b - a) / 32767.
float RandomUniform(float a, float b);

// New particle around vCentre within +-vExtent; draws rand() in the order
// spin, size, position z, y, x, direction z, y, x, life.
void RespawnParticle(Particle& particle, const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                     const D3DXVECTOR3& vCentre);

// Corners 0..3 of a particle's quad of half-size fSize, turned by the
// billboard and moved to the particle's position.
void ParticleCorners(const Particle& particle, float fSize, const D3DXMATRIX& billboard,
                     D3DXVECTOR3 aCorners[4]);

class CParticleField {
public:
    // Respawns nCount particles around vCentre (far below the scene, so the
    // first generation shows up only when it respawns at the real emitter).
    void Create(uint32_t nCount, const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                const D3DXVECTOR3& vCentre, float fNearCullSq);
    // Writes 4 vertices per particle for this frame, then moves the particles
    // by dt with the drift vVelocity; those whose life ran out respawn around
    // vEmitter. Particles whose last corner lies within the near-cull distance
    // of vEmitter are made transparent.
    void Update(const D3DXVECTOR3& vEmitter, const D3DXVECTOR3& vVelocity, float fDt,
                const D3DXMATRIX& billboard, ColorTexVertex* pVertices);
    // Hides every particle: they reappear at the emitter within 1.1 s.
    void Reset(ColorTexVertex* pVertices);
    void Clear();

    uint32_t Count() const { return uint32_t(m_Particles.size()); }
    const Particle& At(uint32_t n) const { return m_Particles[n]; }
    Particle& At(uint32_t n) { return m_Particles[n]; }

    D3DXVECTOR3 m_vExtent{0.0f, 0.0f, 0.0f};
    ParticleSizes m_Sizes{0.0f, 0.0f, 0.0f};
    float m_fNearCullSq = 0.0f;  // 0: off
    float m_fAlphaFactor = 1.0f;

private:
    std::vector<Particle> m_Particles;
};
