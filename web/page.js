// The page: the program's state and input logic run in WebAssembly
// (ripplemoor-page.js); this file draws the frame with WebGL 2 the way the
// desktop's fixed-function GL does, and turns the browser's keys, mouse, touch
// and toolbar into the desktop's key and button events.
"use strict";

(function () {
  const MAX_SIDE = 2048; // the largest basin side the page offers
  const SKY_FACE = 512; // the desktop's sky picture: 3 x 2 faces of 512 texels
  const FPS_SAMPLES = 20;
  const BUTTON_LEFT = 0, BUTTON_MIDDLE = 1, BUTTON_RIGHT = 2;
  const DOWN = 0, UP = 1;
  const SHIFT = 1, CTRL = 2;

  const canvas = document.getElementById("water");
  const messageBox = document.getElementById("message");

  function showMessage(text) {
    messageBox.textContent = text;
    messageBox.hidden = false;
  }

  // ?scene=NAME&basin=WxH&seed=N. Anything else, or a malformed value, is
  // refused with a message rather than guessed at.
  function readParameters(search, scenes) {
    const params = new URLSearchParams(search);
    const out = { width: 160, height: 160, seed: null, scene: null, paused: false };
    for (const [name, value] of params) {
      if (name === "basin") {
        const m = /^(\d{1,5})x(\d{1,5})$/.exec(value);
        if (!m) throw new Error(`basin=${value}: give the size as WIDTHxHEIGHT, e.g. basin=320x200`);
        out.width = Number(m[1]);
        out.height = Number(m[2]);
        for (const side of [out.width, out.height])
          if (side < 3 || side > MAX_SIDE)
            throw new Error(`basin=${value}: each side must be 3 to ${MAX_SIDE} cells`);
      } else if (name === "seed") {
        if (!/^\d{1,10}$/.test(value) || Number(value) > 4294967295)
          throw new Error(`seed=${value}: the seed is a whole number from 0 to 4294967295`);
        out.seed = Number(value);
      } else if (name === "scene") {
        if (!scenes.includes(value))
          throw new Error(`scene=${value}: no such scene` +
            (scenes.length ? ` (${scenes.join(", ")})` : "; this build has no scenes"));
        out.scene = value;
      } else if (name === "paused") {
        if (value !== "1" && value !== "0") throw new Error(`paused=${value}: 1 or 0`);
        out.paused = value === "1";
      } else {
        throw new Error(`${name}: unknown parameter (scene, basin, seed, paused)`);
      }
    }
    return out;
  }

  // ---- matrices, column-major as GL takes them, computed in double ----
  function lookAt(eye, centre, up) {
    let f = [centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]];
    const fl = Math.hypot(f[0], f[1], f[2]);
    f = f.map((c) => c / fl);
    let s = [f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]];
    const sl = Math.hypot(s[0], s[1], s[2]);
    s = s.map((c) => c / sl);
    const u = [s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]];
    const m = [s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1];
    m[12] = -(s[0] * eye[0] + s[1] * eye[1] + s[2] * eye[2]);
    m[13] = -(u[0] * eye[0] + u[1] * eye[1] + u[2] * eye[2]);
    m[14] = f[0] * eye[0] + f[1] * eye[1] + f[2] * eye[2];
    return m;
  }

  function perspective(fovyDegrees, aspect, near, far) {
    const f = 1 / Math.tan((fovyDegrees * Math.PI) / 360);
    return [f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (far + near) / (near - far), -1,
            0, 0, (2 * far * near) / (near - far), 0];
  }

  // ---- shaders ----
  // Light 0 and the material as the desktop sets them; lit per vertex as the
  // fixed-function pipeline does, with the colour as the diffuse material.
  const LIT_VERTEX = (interp) => `#version 300 es
    precision highp float;
    uniform mat4 modelview, projection;
    uniform vec3 lightDirection; // eye coordinates, unit length
    uniform float ambientMaterial;
    in vec2 ground;   // x and z
    in float height;  // y
    in vec3 normal;
    in vec3 colour;   // the diffuse material
    ${interp} out vec3 lit;
    void main() {
      vec4 eye = modelview * vec4(ground.x, height, ground.y, 1.0);
      gl_Position = projection * eye;
      vec3 n = normalize(mat3(modelview) * normal);
      float diffuse = max(dot(n, lightDirection), 0.0);
      vec3 halfway = normalize(lightDirection + vec3(0.0, 0.0, 1.0));
      float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), 2.9) : 0.0;
      // Scene ambient 0.2 and light ambient 0.2 on the ambient material; light
      // diffuse 1; light specular 0.6 on material specular 0.7.
      vec3 c = vec3(ambientMaterial * 0.4) + diffuse * colour + vec3(specular * 0.42);
      lit = clamp(c, 0.0, 1.0);
    }`;
  const LIT_FRAGMENT = (interp) => `#version 300 es
    precision highp float;
    ${interp} in vec3 lit;
    out vec4 fragment;
    void main() { fragment = vec4(lit, 1.0); }`;
  const SKY_VERTEX = `#version 300 es
    precision highp float;
    uniform mat4 modelview, projection;
    in vec3 position;
    in vec3 direction;
    out vec3 texel;
    void main() { texel = direction; gl_Position = projection * modelview * vec4(position, 1.0); }`;
  const SKY_FRAGMENT = `#version 300 es
    precision highp float;
    uniform samplerCube sky;
    in vec3 texel;
    out vec4 fragment;
    void main() { fragment = vec4(texture(sky, texel).rgb, 1.0); }`;

  function compile(gl, vertexSource, fragmentSource, attributes) {
    const program = gl.createProgram();
    for (const [type, source] of [[gl.VERTEX_SHADER, vertexSource], [gl.FRAGMENT_SHADER, fragmentSource]]) {
      const shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS))
        throw new Error("shader: " + gl.getShaderInfoLog(shader));
      gl.attachShader(program, shader);
    }
    attributes.forEach((name, i) => gl.bindAttribLocation(program, i, name));
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS))
      throw new Error("program: " + gl.getProgramInfoLog(program));
    const uniforms = {};
    for (let i = 0; i < gl.getProgramParameter(program, gl.ACTIVE_UNIFORMS); ++i) {
      const name = gl.getActiveUniform(program, i).name;
      uniforms[name] = gl.getUniformLocation(program, name);
    }
    return { program, uniforms };
  }

  const LIT_ATTRIBUTES = ["ground", "height", "normal", "colour"];
  const GROUND = 0, HEIGHT = 1, NORMAL = 2, COLOUR = 3;

  // ---- the sky: the desktop's cube with its texture coordinates ----
  function skyCube() {
    const h = 10, e = 0.99999;
    // Per face: texture coordinate and vertex of the four corners.
    const quads = [
      [[1, -e, e], [h, -h, -h]], [[1, -e, -e], [h, -h, h]], [[1, e, -e], [h, h, h]], [[1, e, e], [h, h, -h]],
      [[-1, -e, -e], [-h, -h, h]], [[-1, -e, e], [-h, -h, -h]], [[-1, e, e], [-h, h, -h]], [[-1, e, -e], [-h, h, h]],
      [[-e, 1, e], [-h, h, -h]], [[e, 1, e], [h, h, -h]], [[e, 1, -e], [h, h, h]], [[-e, 1, -e], [-h, h, h]],
      [[-e, -1, -e], [-h, -h, h]], [[e, -1, -e], [h, -h, h]], [[e, -1, e], [h, -h, -h]], [[-e, -1, e], [-h, -h, -h]],
      [[-e, -e, 1], [h, -h, h]], [[e, -e, 1], [-h, -h, h]], [[e, e, 1], [-h, h, h]], [[-e, e, 1], [h, h, h]],
      [[e, -e, -1], [-h, -h, -h]], [[-e, -e, -1], [h, -h, -h]], [[-e, e, -1], [h, h, -h]], [[e, e, -1], [-h, h, -h]],
    ];
    const data = [];
    for (let q = 0; q < 6; ++q)
      for (const k of [0, 1, 2, 0, 2, 3]) {
        const [t, v] = quads[q * 4 + k];
        data.push(...v, ...t);
      }
    return new Float32Array(data);
  }

  // The marker sphere: 8 slices, 8 stacks, radius 0.5, normals along the radius.
  function sphere(radius, slices, stacks) {
    const data = [];
    const point = (i, j) => {
      const a = (2 * Math.PI * i) / slices, b = (Math.PI * j) / stacks;
      const n = [Math.cos(a) * Math.sin(b), Math.sin(a) * Math.sin(b), Math.cos(b)];
      return [n[0] * radius, n[1] * radius, n[2] * radius, ...n];
    };
    for (let j = 0; j < stacks; ++j)
      for (let i = 0; i < slices; ++i) {
        const p = [point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1)];
        for (const k of [0, 2, 1, 0, 3, 2]) data.push(...p[k]);
      }
    return new Float32Array(data);
  }

  // Walls: each run of wall cells along a row a block from the floor to top,
  // as the desktop draws them; position and normal per vertex.
  function wallBlocks(walls, width, height, top) {
    const data = [];
    const quad = (n, corners) => {
      for (const k of [0, 1, 2, 0, 2, 3]) data.push(...corners[k], ...n);
    };
    for (let y = 0; y < height; ++y) {
      const row = y * width;
      for (let x = 0; x < width; ) {
        if (!walls[row + x]) { ++x; continue; }
        let end = x;
        while (end + 1 < width && walls[row + end + 1]) ++end;
        const l = x - 0.5, r = end + 0.5, n = y - 0.5, f = y + 0.5, b = 0;
        quad([0, 1, 0], [[l, top, n], [r, top, n], [r, top, f], [l, top, f]]);
        quad([0, 0, -1], [[l, b, n], [r, b, n], [r, top, n], [l, top, n]]);
        quad([0, 0, 1], [[l, b, f], [l, top, f], [r, top, f], [r, b, f]]);
        quad([-1, 0, 0], [[l, b, n], [l, top, n], [l, top, f], [l, b, f]]);
        quad([1, 0, 0], [[r, b, n], [r, b, f], [r, top, f], [r, top, n]]);
        x = end + 1;
      }
    }
    return new Float32Array(data);
  }

  // (x, y, z, normal) to the lit shader's (x, z, y, normal).
  function litLayout(data) {
    const out = new Float32Array(data.length);
    for (let i = 0; i < data.length; i += 6) {
      out[i] = data[i]; out[i + 1] = data[i + 2]; out[i + 2] = data[i + 1];
      out[i + 3] = data[i + 3]; out[i + 4] = data[i + 4]; out[i + 5] = data[i + 5];
    }
    return out;
  }

  // ---- the renderer ----
  class Renderer {
    constructor(gl, module) {
      this.gl = gl;
      this.module = module;
      this.smooth = compile(gl, LIT_VERTEX("smooth"), LIT_FRAGMENT("smooth"), LIT_ATTRIBUTES);
      this.flat = compile(gl, LIT_VERTEX("flat"), LIT_FRAGMENT("flat"), LIT_ATTRIBUTES);
      this.sky = compile(gl, SKY_VERTEX, SKY_FRAGMENT, ["position", "direction"]);
      this.flatShading = false;
      this.meshKey = "";
      this.wallsRevision = -1;
      this.wallVertices = 0;
      this.firstFrame = true;

      this.skyBuffer = this.buffer(skyCube());
      this.sphereBuffer = this.buffer(litLayout(sphere(0.5, 8, 8)));
      this.sphereVertices = 8 * 8 * 6;
      this.wallBuffer = gl.createBuffer();
      this.buffers = {};
      for (const name of ["ground", "height", "colour", "normal"]) this.buffers[name] = gl.createBuffer();
      this.indexBuffer = gl.createBuffer();
      this.makeSkyTexture();

      gl.enable(gl.DEPTH_TEST);
      gl.depthFunc(gl.LEQUAL);
      gl.frontFace(gl.CW);
      gl.cullFace(gl.BACK);
      gl.clearColor(0.7, 0.8, 1.0, 1.0);
    }

    buffer(data) {
      const gl = this.gl;
      const b = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, b);
      gl.bufferData(gl.ARRAY_BUFFER, data, gl.STATIC_DRAW);
      return b;
    }

    // The desktop's sky picture, made here by the same code: six faces cut from
    // the 3 x 2 picture, rows top first as GL's t = 0.
    makeSkyTexture() {
      const gl = this.gl, M = this.module;
      const pointer = M._rm_sky_picture(SKY_FACE);
      const picture = M.HEAPU8.subarray(pointer, pointer + 3 * SKY_FACE * 2 * SKY_FACE * 3);
      const faces = [gl.TEXTURE_CUBE_MAP_POSITIVE_X, gl.TEXTURE_CUBE_MAP_NEGATIVE_X, gl.TEXTURE_CUBE_MAP_POSITIVE_Y,
                     gl.TEXTURE_CUBE_MAP_NEGATIVE_Y, gl.TEXTURE_CUBE_MAP_POSITIVE_Z, gl.TEXTURE_CUBE_MAP_NEGATIVE_Z];
      const column = [0, 1, 2, 0, 1, 2], row = [0, 0, 0, 1, 1, 1];
      this.skyTexture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_CUBE_MAP, this.skyTexture);
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
      const rowBytes = 3 * SKY_FACE * 3;
      gl.pixelStorei(gl.UNPACK_ROW_LENGTH, 3 * SKY_FACE);
      for (let f = 0; f < 6; ++f) {
        const start = row[f] * SKY_FACE * rowBytes + column[f] * SKY_FACE * 3;
        gl.texImage2D(faces[f], 0, gl.RGB8, SKY_FACE, SKY_FACE, 0, gl.RGB, gl.UNSIGNED_BYTE, picture, start);
      }
      gl.pixelStorei(gl.UNPACK_ROW_LENGTH, 0);
      for (const p of [gl.TEXTURE_WRAP_S, gl.TEXTURE_WRAP_T, gl.TEXTURE_WRAP_R])
        gl.texParameteri(gl.TEXTURE_CUBE_MAP, p, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_CUBE_MAP, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
      gl.texParameteri(gl.TEXTURE_CUBE_MAP, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
      M._rm_free_sky_picture();
    }

    // Vertices of the mesh: the upper set (normal as the upper vertex of the
    // strip below), the lower set, then two opening vertices per strip, which
    // carry the normal the previous strip ended with, as the desktop sends none.
    // One strip per pair of rows, joined by primitive restart.
    layoutMesh(w, h, stride) {
      const gl = this.gl;
      const cells = w * h, strips = h - 2;
      const ground = new Float32Array(2 * (2 * cells + 2 * strips));
      for (let set = 0; set < 2; ++set)
        for (let r = 0; r < h; ++r)
          for (let x = 0; x < w; ++x) {
            const i = 2 * (set * cells + r * w + x);
            ground[i] = x * stride;
            ground[i + 1] = r * stride;
          }
      for (let y = 1; y <= strips; ++y) {
        const i = 2 * (2 * cells + 2 * (y - 1));
        ground[i] = 0; ground[i + 1] = (y + 1) * stride;
        ground[i + 2] = 0; ground[i + 3] = y * stride;
      }
      gl.bindBuffer(gl.ARRAY_BUFFER, this.buffers.ground);
      gl.bufferData(gl.ARRAY_BUFFER, ground, gl.STATIC_DRAW);
      const indices = new Uint32Array(strips * (2 * w + 1));
      let k = 0;
      for (let y = 1; y <= strips; ++y) {
        indices[k++] = 2 * cells + 2 * (y - 1);
        indices[k++] = 2 * cells + 2 * (y - 1) + 1;
        for (let x = 1; x < w; ++x) {
          indices[k++] = (y + 1) * w + x;       // upper set
          indices[k++] = cells + y * w + x;     // lower set
        }
        indices[k++] = 0xffffffff;
      }
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, this.indexBuffer);
      gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, indices, gl.STATIC_DRAW);
      this.indexCount = k;
      this.cells = cells;
      this.strips = strips;
      this.meshWidth = w;
      this.heightData = new Float32Array(2 * cells + 2 * strips);
      this.colourData = new Float32Array(3 * (2 * cells + 2 * strips));
      this.normalData = new Float32Array(3 * (2 * cells + 2 * strips));
      for (const [name, data] of [["height", this.heightData], ["colour", this.colourData], ["normal", this.normalData]]) {
        gl.bindBuffer(gl.ARRAY_BUFFER, this.buffers[name]);
        gl.bufferData(gl.ARRAY_BUFFER, data.byteLength, gl.DYNAMIC_DRAW);
      }
    }

    // Copies the desktop's vertex attributes (built in WebAssembly) into the
    // vertex sets.
    uploadSurface(s) {
      const gl = this.gl, F = this.module.HEAPF32;
      const cells = this.cells, w = this.meshWidth, strips = this.strips;
      const view = (p) => F.subarray(p >> 2, (p >> 2) + cells);
      const height = view(s.height), red = view(s.red), green = view(s.green), blue = view(s.blue);
      const ux = view(s.upperX), uy = view(s.upperY), uz = view(s.upperZ);
      const lx = view(s.lowerX), ly = view(s.lowerY), lz = view(s.lowerZ);
      const H = this.heightData, C = this.colourData, N = this.normalData;
      if (s.geometryChanged) {
        H.set(height, 0);
        H.set(height, cells);
        for (let i = 0; i < cells; ++i) {
          N[3 * i] = ux[i]; N[3 * i + 1] = uy[i]; N[3 * i + 2] = uz[i];
          const j = 3 * (cells + i);
          N[j] = lx[i]; N[j + 1] = ly[i]; N[j + 2] = lz[i];
        }
      }
      if (s.coloursChanged) {
        for (let i = 0; i < cells; ++i) {
          C[3 * i] = red[i]; C[3 * i + 1] = green[i]; C[3 * i + 2] = blue[i];
        }
        C.copyWithin(3 * cells, 0, 3 * cells);
      }
      // The opening pairs: cells (0, y + 1) and (0, y); every strip but the first
      // takes the last lower normal of the strip before, as GL's current normal
      // carries it over. The first takes whatever the marker sphere left
      // current on the desktop; straight down stands for it (a sliver at the
      // basin's edge).
      for (let y = 1; y <= strips; ++y) {
        const v = 2 * cells + 2 * (y - 1);
        const prev = (y - 1) * w + (w - 1);
        for (let k = 0; k < 2; ++k) {
          const cell = (y + 1 - k) * w, i = 3 * (v + k);
          if (s.geometryChanged) {
            H[v + k] = height[cell];
            N[i] = y === 1 ? 0 : lx[prev];
            N[i + 1] = y === 1 ? 0 : ly[prev];
            N[i + 2] = y === 1 ? -1 : lz[prev];
          }
          if (s.coloursChanged) {
            C[i] = red[cell]; C[i + 1] = green[cell]; C[i + 2] = blue[cell];
          }
        }
      }
      // Only what was rebuilt goes to the GL: nothing while paused.
      const changed = [["height", H, s.geometryChanged], ["normal", N, s.geometryChanged],
                       ["colour", C, s.coloursChanged]];
      for (const [name, data, rebuilt] of changed) {
        if (!rebuilt) continue;
        gl.bindBuffer(gl.ARRAY_BUFFER, this.buffers[name]);
        gl.bufferSubData(gl.ARRAY_BUFFER, 0, data);
      }
    }

    attribute(index, buffer, size, stride, offset) {
      const gl = this.gl;
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.enableVertexAttribArray(index);
      gl.vertexAttribPointer(index, size, gl.FLOAT, false, stride, offset);
    }

    // Triangles of (x, z, y, nx, ny, nz) in one constant colour.
    drawLit(buffer, count, colour) {
      const gl = this.gl;
      this.attribute(GROUND, buffer, 2, 24, 0);
      this.attribute(HEIGHT, buffer, 1, 24, 8);
      this.attribute(NORMAL, buffer, 3, 24, 12);
      gl.disableVertexAttribArray(COLOUR);
      gl.vertexAttrib3f(COLOUR, colour[0], colour[1], colour[2]);
      gl.drawArrays(gl.TRIANGLES, 0, count);
    }

    frame(width, height) {
      const gl = this.gl, M = this.module;
      gl.viewport(0, 0, width, height);
      gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
      const c = M._rm_camera_apply() >> 3;
      const cam = M.HEAPF64.subarray(c, c + 10);
      // 0-2 the offset the previous frame's Apply left, 3-5 the target, 6-8 the
      // offset now, 9 the far plane.
      const last = [cam[0], cam[1], cam[2]], target = [cam[3], cam[4], cam[5]], now = [cam[6], cam[7], cam[8]];
      const projection = perspective(45, height > 0 ? width / height : 1, 1, cam[9]);

      // Sky: the camera's orientation without its translation, no depth test.
      gl.disable(gl.DEPTH_TEST);
      gl.disable(gl.CULL_FACE);
      const skyView = lookAt([0, 0, 0], [-last[0], -last[1], -last[2]], [0, 1, 0]);
      gl.useProgram(this.sky.program);
      gl.uniformMatrix4fv(this.sky.uniforms.modelview, false, skyView);
      gl.uniformMatrix4fv(this.sky.uniforms.projection, false, projection);
      gl.uniform1i(this.sky.uniforms.sky, 0);
      gl.activeTexture(gl.TEXTURE0);
      gl.bindTexture(gl.TEXTURE_CUBE_MAP, this.skyTexture);
      this.attribute(0, this.skyBuffer, 3, 24, 0);
      this.attribute(1, this.skyBuffer, 3, 24, 12);
      gl.disableVertexAttribArray(2);
      gl.disableVertexAttribArray(3);
      gl.drawArrays(gl.TRIANGLES, 0, 36);
      gl.enable(gl.DEPTH_TEST);
      gl.enable(gl.CULL_FACE);

      // The light: from the eye with its height doubled, a direction in eye
      // coordinates, using the previous frame's offset as the desktop does.
      const light = [Math.fround(target[0] + last[0]), Math.fround((target[1] + last[1]) * 2),
                     Math.fround(target[2] + last[2])];
      const ll = Math.hypot(light[0], light[1], light[2]) || 1;
      const modelview = lookAt([target[0] + now[0], target[1] + now[1], target[2] + now[2]], target, [0, 1, 0]);

      const lit = this.flatShading ? this.flat : this.smooth;
      gl.useProgram(lit.program);
      gl.uniformMatrix4fv(lit.uniforms.modelview, false, modelview);
      gl.uniformMatrix4fv(lit.uniforms.projection, false, projection);
      gl.uniform3f(lit.uniforms.lightDirection, light[0] / ll, light[1] / ll, light[2] / ll);

      // The marker sphere at the origin, in the material the last frame left:
      // diffuse black from the frame-rate text (GL's initial grey in the first).
      gl.uniform1f(lit.uniforms.ambientMaterial, this.firstFrame ? 0.2 : 0.1);
      this.drawLit(this.sphereBuffer, this.sphereVertices, this.firstFrame ? [0.8, 0.8, 0.8] : [0, 0, 0]);

      // The water.
      gl.uniform1f(lit.uniforms.ambientMaterial, 0.1);
      const s = this.surface();
      this.attribute(GROUND, this.buffers.ground, 2, 0, 0);
      this.attribute(HEIGHT, this.buffers.height, 1, 0, 0);
      this.attribute(NORMAL, this.buffers.normal, 3, 0, 0);
      this.attribute(COLOUR, this.buffers.colour, 3, 0, 0);
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, this.indexBuffer);
      gl.drawElements(gl.TRIANGLE_STRIP, this.indexCount, gl.UNSIGNED_INT, 0);

      this.drawWalls(s);
      this.firstFrame = false;
    }

    surface() {
      const M = this.module;
      const p = M._rm_surface() >> 2;
      const I = M.HEAP32;
      const s = {
        width: I[p], height: I[p + 1], stride: I[p + 2], geometryChanged: I[p + 3], coloursChanged: I[p + 4],
      };
      [s.height, s.red, s.green, s.blue, s.upperX, s.upperY, s.upperZ, s.lowerX, s.lowerY, s.lowerZ] =
        Array.from(I.subarray(p + 5, p + 15));
      const rows = I[p + 1];
      const key = `${s.width}x${rows}/${s.stride}`;
      if (key !== this.meshKey) {
        this.layoutMesh(s.width, rows, s.stride);
        this.meshKey = key;
        s.geometryChanged = s.coloursChanged = 1;
      }
      s.wallsRevision = I[p + 15];
      this.uploadSurface(s);
      return s;
    }

    drawWalls(s) {
      const gl = this.gl, M = this.module;
      if (s.wallsRevision !== this.wallsRevision) {
        const w = M._rm_basin_width(), h = M._rm_basin_height();
        const p = M._rm_walls();
        const out = litLayout(wallBlocks(M.HEAPU8.subarray(p, p + w * h), w, h, M._rm_wall_top()));
        gl.bindBuffer(gl.ARRAY_BUFFER, this.wallBuffer);
        gl.bufferData(gl.ARRAY_BUFFER, out, gl.STATIC_DRAW);
        this.wallVertices = out.length / 6;
        this.wallsRevision = s.wallsRevision;
      }
      if (this.wallVertices === 0) return;
      const c = M.HEAPF32.subarray(M._rm_wall_colour() >> 2, (M._rm_wall_colour() >> 2) + 3);
      gl.disable(gl.CULL_FACE);
      this.drawLit(this.wallBuffer, this.wallVertices, c);
      gl.enable(gl.CULL_FACE);
    }
  }

  // ---- the frame rate, averaged as the desktop does over the last 20 frames ----
  class FpsCounter {
    constructor(element) {
      this.element = element;
      this.samples = new Array(FPS_SAMPLES).fill(0);
      this.index = 0;
      this.last = null;
    }
    frame(now) {
      const seconds = this.last === null ? Infinity : (now - this.last) / 1000;
      this.last = now;
      const sample = seconds > 0 && Number.isFinite(seconds) ? Math.trunc(1 / seconds) : 0;
      this.samples[this.index] = sample;
      this.index = (this.index + 1) % FPS_SAMPLES;
      const average = Math.trunc(this.samples.reduce((a, b) => a + b, 0) / FPS_SAMPLES);
      this.element.textContent = "FPS: " + average;
    }
  }

  // ---- input: the browser's events as the desktop's keys and buttons ----
  class Controls {
    constructor(page) {
      this.page = page;
      this.M = page.module;
      this.pen = 0; // 0 off, 1 paint walls, 2 rub them out
      this.touches = new Map();
      this.pinch = null;
      this.tap = null;
      const c = page.canvas;
      c.addEventListener("contextmenu", (e) => e.preventDefault());
      c.addEventListener("pointerdown", (e) => this.pointerDown(e));
      c.addEventListener("pointermove", (e) => this.pointerMove(e));
      c.addEventListener("pointerup", (e) => this.pointerUp(e));
      c.addEventListener("pointercancel", (e) => this.pointerUp(e));
      window.addEventListener("keydown", (e) => this.keyDown(e));
      c.focus();
    }

    // Later moves reach the canvas even outside it; a pointer the browser does
    // not know (a synthetic one) cannot be captured and needs not be.
    capture(e) {
      try {
        this.page.canvas.setPointerCapture(e.pointerId);
      } catch (error) {
        // nothing to capture
      }
    }

    position(e) {
      const r = this.page.canvas.getBoundingClientRect();
      return [Math.round(e.clientX - r.left), Math.round(e.clientY - r.top)];
    }

    modifiers(e) {
      let m = (e.shiftKey ? SHIFT : 0) | (e.ctrlKey ? CTRL : 0);
      if (this.pen === 1) m |= SHIFT;
      if (this.pen === 2) m |= CTRL;
      return m;
    }

    keyDown(e) {
      if (e.target instanceof HTMLSelectElement || e.altKey || e.metaKey) return;
      const f = /^F([1-5])$/.exec(e.key);
      if (f) {
        // The desktop's presets on F1 to F5.
        e.preventDefault();
        this.page.functionKey(Number(f[1]));
        return;
      }
      if (e.key.length !== 1) return;
      this.page.key(e.key);
    }

    pointerDown(e) {
      this.page.canvas.focus();
      const [x, y] = this.position(e);
      if (e.pointerType === "touch") {
        e.preventDefault();
        this.capture(e);
        this.touches.set(e.pointerId, [x, y]);
        if (this.touches.size === 1) {
          this.tap = { x, y, time: e.timeStamp, moved: false };
          this.M._rm_button(BUTTON_LEFT, DOWN, x, y, this.modifiers(e));
        } else if (this.touches.size === 2) {
          // Two fingers: the rest of the gesture zooms, as a right-button drag.
          this.tap = null;
          this.M._rm_button(BUTTON_LEFT, UP, x, y, 0);
          this.pinch = { distance: this.spread(), y: 0 };
          this.M._rm_button(BUTTON_RIGHT, DOWN, 0, 0, 0);
          this.M._rm_drag(0, 0);
        }
        return;
      }
      this.capture(e);
      if (e.button > 2) return;
      this.M._rm_button(e.button, DOWN, x, y, this.modifiers(e));
    }

    spread() {
      const [a, b] = Array.from(this.touches.values());
      return Math.hypot(a[0] - b[0], a[1] - b[1]);
    }

    pointerMove(e) {
      const [x, y] = this.position(e);
      if (e.pointerType === "touch") {
        if (!this.touches.has(e.pointerId)) return;
        this.touches.set(e.pointerId, [x, y]);
        if (this.pinch && this.touches.size === 2) {
          // Fingers apart zoom in: a drag upwards, in steps the camera takes.
          const target = Math.round(this.pinch.distance - this.spread());
          while (this.pinch.y !== target) {
            this.pinch.y += Math.max(-10, Math.min(10, target - this.pinch.y));
            this.M._rm_drag(0, this.pinch.y);
          }
        } else if (this.touches.size === 1) {
          if (this.tap && Math.hypot(x - this.tap.x, y - this.tap.y) > 8) this.tap.moved = true;
          this.M._rm_drag(x, y);
        }
        return;
      }
      if (e.buttons === 0) return; // the desktop ignores a pointer moved with no button held
      this.M._rm_drag(x, y);
    }

    pointerUp(e) {
      const [x, y] = this.position(e);
      if (e.pointerType === "touch") {
        if (!this.touches.delete(e.pointerId)) return;
        if (this.pinch) {
          if (this.touches.size === 0) {
            this.M._rm_button(BUTTON_RIGHT, UP, x, y, 0);
            this.pinch = null;
          }
          return;
        }
        this.M._rm_button(BUTTON_LEFT, UP, x, y, 0);
        // A short touch that hardly moved drops water, as the middle button does.
        if (this.tap && !this.tap.moved && e.timeStamp - this.tap.time < 400 && this.pen === 0) {
          this.M._rm_button(BUTTON_MIDDLE, DOWN, this.tap.x, this.tap.y, 0);
          this.M._rm_button(BUTTON_MIDDLE, UP, this.tap.x, this.tap.y, 0);
        }
        this.tap = null;
        return;
      }
      if (e.button > 2) return;
      this.M._rm_button(e.button, UP, x, y, this.modifiers(e));
    }
  }

  // ---- the page ----
  class Page {
    constructor(module, gl, params) {
      this.module = module;
      this.gl = gl;
      this.canvas = canvas;
      this.params = params;
      this.renderer = new Renderer(gl, module);
      this.fps = new FpsCounter(document.getElementById("fps"));
      this.overlay = document.getElementById("overlay");
      this.controls = new Controls(this);
      this.frames = 0;
      this.bindToolbar();
      this.resize();
      window.addEventListener("resize", () => this.resize());
      this.refreshToolbar();
    }

    resize() {
      const ratio = window.devicePixelRatio || 1;
      const w = Math.max(1, Math.round(this.canvas.clientWidth * ratio));
      const h = Math.max(1, Math.round(this.canvas.clientHeight * ratio));
      if (this.canvas.width !== w || this.canvas.height !== h) {
        this.canvas.width = w;
        this.canvas.height = h;
      }
      // The program's pointer positions are in CSS pixels.
      this.module._rm_window(this.canvas.clientWidth, this.canvas.clientHeight);
    }

    // A key as the desktop takes it; shading is the window's own.
    key(character) {
      if (character === "f") this.renderer.flatShading = true;
      else if (character === "s") this.renderer.flatShading = false;
      else this.module._rm_key(character.charCodeAt(0));
      this.refreshToolbar();
    }

    functionKey(n) {
      this.module._rm_function_key(n);
      this.refreshToolbar();
    }

    bindToolbar() {
      const byId = (id) => document.getElementById(id);
      byId("mode").addEventListener("change", (e) => { this.key(e.target.value); this.canvas.focus(); });
      byId("tones").addEventListener("click", () => this.key(this.module._rm_grey() ? "c" : "b"));
      byId("shading").addEventListener("click", () => this.key(this.renderer.flatShading ? "s" : "f"));
      byId("pause").addEventListener("click", () => this.key("p"));
      byId("rest").addEventListener("click", () => this.key("r"));
      byId("drop").addEventListener("click", () => this.key("d"));
      byId("pen").addEventListener("click", () => {
        this.controls.pen = (this.controls.pen + 1) % 3;
        this.refreshToolbar();
      });
      const scenes = byId("scene");
      const names = this.module.sceneNames;
      byId("scene-label").hidden = names.length === 0;
      for (const name of ["", ...names]) {
        const option = document.createElement("option");
        option.value = name;
        option.textContent = name || "(none)";
        scenes.appendChild(option);
      }
      scenes.value = this.params.scene || "";
      scenes.addEventListener("change", (e) => {
        const url = new URL(window.location.href);
        if (e.target.value) url.searchParams.set("scene", e.target.value);
        else url.searchParams.delete("scene");
        window.location.assign(url.toString());
      });
    }

    refreshToolbar() {
      const M = this.module;
      document.getElementById("mode").value = String(M._rm_color_mode());
      document.getElementById("tones").textContent = M._rm_grey() ? "Colour" : "Grey";
      document.getElementById("shading").textContent = this.renderer.flatShading ? "Smooth" : "Flat";
      document.getElementById("pause").textContent = M._rm_paused() ? "Run" : "Pause";
      document.getElementById("pen").textContent = ["Pen: off", "Pen: walls", "Pen: rub out"][this.controls.pen];
    }

    // One step and one frame per animation frame, as the desktop steps once per
    // idle cycle and draws once per step.
    frame(now) {
      this.resize();
      this.module._rm_advance(now * 1000);
      this.renderer.frame(this.canvas.width, this.canvas.height);
      this.fps.frame(now);
      const M = this.module;
      const shown = M._rm_overlay_shown() !== 0;
      this.overlay.hidden = !shown;
      if (shown) this.overlay.textContent = M.UTF8ToString(M._rm_overlay_text());
      if (this.frames++ % 15 === 0) this.refreshToolbar();
    }

    run() {
      const loop = (now) => {
        this.frame(now);
        window.requestAnimationFrame(loop);
      };
      window.requestAnimationFrame(loop);
    }

    // What the tests read of the program's state.
    state() {
      const M = this.module;
      const p = M._rm_state() >> 3;
      const d = M.HEAPF64.subarray(p, p + 8);
      return { colorMode: d[0], paused: d[1] !== 0, theta: d[2], phi: d[3], radius: d[4],
               revision: d[5], water: d[6], walls: d[7], flat: this.renderer.flatShading,
               width: M._rm_basin_width(), height: M._rm_basin_height(),
               solver: M.UTF8ToString(M._rm_solver()) };
    }
  }

  async function start() {
    if (typeof createRipplemoorModule !== "function") {
      showMessage("The page's WebAssembly module did not load.");
      return;
    }
    const gl = canvas.getContext("webgl2", { antialias: false, preserveDrawingBuffer: true });
    if (!gl) {
      showMessage("Ripplemoor needs WebGL 2, which this browser does not offer " +
                  "(or has turned off). Try a current Firefox, Chrome, Edge or Safari.");
      return;
    }
    const module = await createRipplemoorModule();
    module.sceneNames = [];
    const list = module.UTF8ToString(module._rm_scene_names());
    if (list) module.sceneNames = list.split("\n");
    let params;
    try {
      params = readParameters(window.location.search, module.sceneNames);
    } catch (error) {
      showMessage(error.message);
      return;
    }
    const seed = params.seed === null ? (Date.now() >>> 0) : params.seed;
    let failure;
    if (params.scene) {
      failure = module.ccall("rm_start_scene", "number", ["string", "number"], [params.scene, seed]);
    } else {
      failure = module._rm_start(params.width, params.height, seed);
    }
    if (failure !== 0) {
      showMessage(module.UTF8ToString(module._rm_error()));
      return;
    }
    if (params.paused) module._rm_key("p".charCodeAt(0));
    const page = new Page(module, gl, params);
    window.ripplemoor = page;
    page.run();
  }

  window.RipplemoorPage = { readParameters, lookAt, perspective, wallBlocks, start };
  start().catch((error) => showMessage("Ripplemoor stopped: " + error.message));
})();
