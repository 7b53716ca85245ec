#include "host/exports/viewer_assets.h"

namespace zevkalon {

const char* const kViewerStyle = R"css(html, body { margin: 0; height: 100%; }
body { display: flex; font: 13px/1.4 system-ui, sans-serif; color: #222; background: #fff; }
#view { flex: 1; position: relative; min-width: 0; background: #000; }
#view canvas { position: absolute; inset: 0; width: 100%; height: 100%; display: block; }
#error { position: absolute; left: 1em; top: 1em; right: 1em; margin: 0; padding: 0.6em; background: #fee; color: #900; }
#panel { width: 320px; flex: none; overflow: auto; padding: 10px 14px; box-sizing: border-box; border-left: 1px solid #ccc; }
h1 { font-size: 15px; margin: 0 0 4px; overflow-wrap: anywhere; }
h2 { font-size: 13px; margin: 14px 0 4px; }
.hint { color: #555; margin: 0 0 8px; }
.tools { display: flex; flex-wrap: wrap; gap: 4px; align-items: center; margin-bottom: 6px; }
button { font: inherit; padding: 1px 7px; }
#pois { list-style: none; margin: 0; padding: 0; }
#pois label { display: flex; align-items: center; gap: 6px; padding: 1px 2px; cursor: pointer; }
#pois label:hover { background: #eef; }
#pois .name { flex: 1; overflow-wrap: anywhere; }
#pois .count { color: #555; font-variant-numeric: tabular-nums; }
#pois .empty { color: #999; font-style: italic; }
#pois .empty label { cursor: default; }
#pois .overlap { border-top: 1px solid #ddd; margin-top: 4px; padding-top: 2px; }
.swatch { width: 14px; height: 14px; flex: none; border: 1px solid #0006; box-sizing: border-box; }
#run { border-collapse: collapse; width: 100%; }
#run th { text-align: left; font-weight: normal; color: #555; padding: 1px 8px 1px 0; vertical-align: top; white-space: nowrap; }
#run td { overflow-wrap: anywhere; }
#notices { margin-top: 14px; color: #555; }
#notices pre { white-space: pre-wrap; font-size: 11px; }
html.snapshot #panel { display: none; }
)css";

const char* const kViewerControls = R"html(<p class="hint">Drag to rotate, scroll to zoom. Click a POI to show or hide it.</p>
<div class="tools"><button id="show-all">Show all</button><button id="hide-all">Hide all</button>
<label title="each POI in its exact colour, without shading"><input type="checkbox" id="flat"> flat colours</label></div>
<div class="tools">View from: <button data-azimuth="90" data-elevation="0">left</button><button data-azimuth="270" data-elevation="0">right</button><button data-azimuth="180" data-elevation="0">front</button><button data-azimuth="0" data-elevation="0">back</button><button data-azimuth="0" data-elevation="90">top</button><button data-azimuth="0" data-elevation="-90">bottom</button></div>
)html";

const char* const kViewerScript = R"js('use strict';
(function () {
  const root = document.documentElement;
  if (location.hash === '#snapshot') root.classList.add('snapshot');
  function report(state, detail) {
    if (root.dataset.state === 'error') return;  // the first error is the one to see
    root.dataset.state = state;
    if (detail) {
      root.dataset.error = detail;
      const box = document.getElementById('error');
      box.textContent = 'The viewer could not draw the surface: ' + detail;
      box.hidden = false;
    }
  }
  window.addEventListener('error', (event) => report('error', String(event.message)));
  window.addEventListener('unhandledrejection', (event) => report('error', String(event.reason)));

  // Two mesh shaders. Shaded: NiiVue's matte lighting, colours blended
  // across each triangle, to see the shape. Flat: each triangle takes the
  // colour of one of its vertices (its last, WebGL's provoking vertex), and
  // a vertex colour with alpha 255 (a POI, or the overlap) is drawn unlit, so
  // that every such pixel is exactly a POI's colour; the bare surface stays
  // lit. The vertex shader is NiiVue's own but for the flat colour.
  const shadedShader = `#version 300 es
precision highp float;
uniform float opacity;
in vec4 vClr;
in vec3 vN;
out vec4 color;
void main() {
  vec3 l = normalize(vec3(0.0, 10.0, -5.0));
  color = vec4(vClr.rgb * (0.35 + 0.6 * max(dot(normalize(vN), l), 0.0)), opacity);
}`;
  const flatVertexShader = `#version 300 es
layout(location=0) in vec3 pos;
layout(location=1) in vec4 norm;
layout(location=2) in vec4 clr;
uniform mat4 mvpMtx;
uniform mat4 normMtx;
flat out vec4 vClr;
out vec3 vN;
void main(void) {
  gl_Position = mvpMtx * vec4(pos, 1.0);
  vN = normalize((normMtx * vec4(norm.xyz, 1.0)).xyz);
  vClr = clr;
}`;
  const flatShader = `#version 300 es
precision highp float;
uniform float opacity;
flat in vec4 vClr;
in vec3 vN;
out vec4 color;
void main() {
  if (vClr.a > 0.99) { color = vec4(vClr.rgb, opacity); return; }
  vec3 l = normalize(vec3(0.0, 10.0, -5.0));
  color = vec4(vClr.rgb * (0.35 + 0.6 * max(dot(normalize(vN), l), 0.0)), opacity);
}`;
  const kBare = 128, kPoi = 255;  // vertex alphas: lit in both shaders, or unlit in the flat one
  // The snapshot's views as NiiVue's azimuth and elevation, two by two:
  // from the left, from the right; from above, from below.
  const kSnapshotViews = [[90, 0], [270, 0], [0, 90], [180, -90]];

  const data = JSON.parse(document.getElementById('poi-data').textContent);
  const shown = data.vertices.map((vertices) => vertices.length > 0);
  let overlapShown = true;
  let flat = root.classList.contains('snapshot');
  let nv = null;
  let mesh = null;
  let shadedIndex = 0, flatIndex = 0;  // in nv.meshShaders

  function decodeBase64(text) {
    const binary = atob(text.trim());
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes.buffer;
  }

  // Per vertex: the colour of the one shown POI that holds it, the overlap
  // colour when several shown POIs hold it, else the bare surface.
  function vertexColours() {
    const count = mesh.pts.length / 3;
    const owner = new Int32Array(count).fill(-1);  // -1: none, -2: several
    data.vertices.forEach((vertices, p) => {
      if (!shown[p]) return;
      for (const v of vertices) {
        if (v >= 0 && v < count && owner[v] !== p) owner[v] = owner[v] === -1 ? p : -2;
      }
    });
    const rgba = new Uint8Array(count * 4);
    for (let v = 0; v < count; ++v) {
      let colour = data.surfaceColour, alpha = kBare;
      if (owner[v] >= 0) {
        colour = data.colours[owner[v]];
        alpha = kPoi;
      } else if (owner[v] === -2 && overlapShown) {
        colour = data.overlapColour;
        alpha = kPoi;
      }
      rgba.set(colour, 4 * v);
      rgba[4 * v + 3] = alpha;
    }
    return rgba;
  }

  function recolour() {
    mesh.rgba255 = vertexColours();
    mesh.updateMesh(nv.gl);
    nv.setMeshShader(mesh.id, flat ? flatIndex : shadedIndex);
    nv.drawScene();
  }

  // NiiVue takes custom fragment shaders only; the flat one needs its own
  // vertex shader, compiled with the class of NiiVue's shaders.
  function addShaders() {
    shadedIndex = nv.setCustomMeshShader(shadedShader, 'zevkalon shaded');
    const Shader = nv.meshShaders[shadedIndex].shader.constructor;
    nv.meshShaders.push({ Name: 'zevkalon flat', Frag: flatShader, shader: new Shader(nv.gl, flatVertexShader, flatShader) });
    flatIndex = nv.meshShaders.length - 1;
  }

  function poiBoxes() {
    return Array.from(document.querySelectorAll('#pois li[data-poi] input:not([disabled])'));
  }

  function bindPanel() {
    for (const box of poiBoxes()) {
      const p = Number(box.closest('li').dataset.poi);
      box.addEventListener('change', () => { shown[p] = box.checked; recolour(); });
    }
    const overlap = document.getElementById('overlap-shown');
    overlap.addEventListener('change', () => { overlapShown = overlap.checked; recolour(); });
    const showAll = (value) => {
      for (const box of poiBoxes()) {
        box.checked = value;
        shown[Number(box.closest('li').dataset.poi)] = value;
      }
      recolour();
    };
    document.getElementById('show-all').addEventListener('click', () => showAll(true));
    document.getElementById('hide-all').addEventListener('click', () => showAll(false));
    const flatBox = document.getElementById('flat');
    flatBox.checked = flat;
    flatBox.addEventListener('change', () => { flat = flatBox.checked; recolour(); });
    for (const button of document.querySelectorAll('button[data-azimuth]')) {
      button.addEventListener('click', () =>
        nv.setRenderAzimuthElevation(Number(button.dataset.azimuth), Number(button.dataset.elevation)));
    }
  }

  // The snapshot: every POI shown, flat, in four views two by two, each as
  // large as the canvas; a PNG data URL.
  window.zevkalonSnapshot = function () {
    for (const box of poiBoxes()) box.checked = true;
    data.vertices.forEach((vertices, p) => { shown[p] = vertices.length > 0; });
    overlapShown = true;
    flat = true;
    recolour();
    const gl = nv.gl;
    const width = gl.drawingBufferWidth, height = gl.drawingBufferHeight;
    const picture = document.createElement('canvas');
    picture.width = 2 * width;
    picture.height = 2 * height;
    const context = picture.getContext('2d');
    kSnapshotViews.forEach(([azimuth, elevation], k) => {
      nv.setRenderAzimuthElevation(azimuth, elevation);  // draws at once
      const pixels = new Uint8Array(width * height * 4);
      gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
      const image = context.createImageData(width, height);
      const row = width * 4;
      for (let y = 0; y < height; ++y) {  // WebGL's rows run from the bottom up
        image.data.set(pixels.subarray((height - 1 - y) * row, (height - y) * row), y * row);
      }
      for (let i = 3; i < image.data.length; i += 4) image.data[i] = 255;
      context.putImageData(image, (k % 2) * width, Math.floor(k / 2) * height);
    });
    return picture.toDataURL('image/png');
  };

  async function start() {
    if (!window.niivue) throw new Error('the NiiVue script did not run');
    nv = new niivue.Niivue({
      backColor: data.background.map((c) => c / 255).concat([1]),
      show3Dcrosshair: false,
      isOrientationTextVisible: false,
      isColorbar: false,
      loadingText: '',
    });
    // No antialiasing: it would blend the colours of neighbouring pixels.
    await nv.attachTo('surface', false);
    if (!nv.gl) throw new Error('this browser gives no WebGL2');
    nv.setSliceType(nv.sliceTypeRender);
    const gifti = decodeBase64(document.getElementById('surface-gifti').textContent);
    mesh = await niivue.NVMesh.readMesh(gifti, 'surface.gii', nv.gl, 1.0, new Uint8Array(data.surfaceColour.concat([kBare])));
    nv.addMesh(mesh);
    addShaders();
    bindPanel();
    nv.setRenderAzimuthElevation(kSnapshotViews[0][0], kSnapshotViews[0][1]);
    recolour();
    report('ready');
  }
  start().catch((error) => report('error', String((error && error.message) || error)));
})();
)js";

}  // namespace zevkalon
