// The studio page: the document in an editor beside the running effect.
// Everything it shows comes from the studio's own server (see StudioServer).
(function () {
  "use strict";

  var Pos = CodeMirror.Pos;
  var $ = function (id) { return document.getElementById(id); };

  var S = {
    base: "",            // the version on disk the text started from
    loaded: "",          // the text as last loaded or saved
    changes: 0,          // the server's count of changes seen on disk
    good: false,         // whether the text in the editor runs
    revision: 0,         // the server's revision of the text that runs
    playing: true,
    playhead: 0,         // seconds into the run, while playing
    target: 1,           // the frame to show
    shown: 0,            // the frame on the canvas
    shownKey: "",        // the settings and revision it was drawn at
    inFlight: false,
    systems: [],         // numeric elements per system, from the last reply
    system: 0,
    reference: null,     // the description of the elements
    lastTick: 0,
    shownTimes: []
  };

  // ---------------------------------------------------------------- status

  function status(text, bad) {
    var el = $("status");
    el.textContent = text;
    el.className = bad ? "bad" : "";
  }

  function markDirty() {
    $("dirty").textContent = cm.getValue() === S.loaded ? "" : "unsaved";
  }

  function request(method, url, body) {
    var init = { method: method, headers: {} };
    if (body !== undefined) {
      init.body = body;
      init.headers["Content-Type"] = "text/plain; charset=utf-8";
    }
    return fetch(url, init);
  }

  function replyMessage(r) {
    return r.json().then(function (j) { return j.message || r.statusText; }, function () { return r.statusText; });
  }

  // ---------------------------------------------------------------- settings

  function settings() {
    var size = $("size").value.split("x");
    return {
      seed: $("seed").value, fps: $("fps").value, frames: $("frames").value,
      width: +size[0], height: +size[1], azimuth: +$("azimuth").value, elevation: +$("elevation").value
    };
  }

  function query(s) {
    return "seed=" + encodeURIComponent(s.seed) + "&fps=" + encodeURIComponent(s.fps) +
      "&frames=" + encodeURIComponent(s.frames) + "&size=" + s.width + "x" + s.height +
      "&view=" + encodeURIComponent(s.azimuth + "," + s.elevation);
  }

  function frameCount() { return Math.max(1, Math.min(3600, Math.floor(+$("frames").value) || 1)); }
  function fps() { var f = +$("fps").value; return f > 0 && f <= 1000 ? f : 30; }

  // ---------------------------------------------------------------- editor

  var cm = CodeMirror.fromTextArea($("editor"), {
    mode: "xml",
    theme: "material-darker",
    lineNumbers: true,
    indentUnit: 2,
    matchTags: { bothTags: true },
    autoCloseTags: true,
    gutters: ["CodeMirror-lint-markers"],
    lint: { getAnnotations: lintText, async: true, delay: 300 },
    extraKeys: {
      "Ctrl-Space": "autocomplete",
      "'<'": function (cm) { return completeAfter(cm); },
      "'/'": function (cm) { return completeAfter(cm, function () { var c = cm.getCursor(); return cm.getRange(Pos(c.line, c.ch - 1), c) == "<"; }); },
      "Ctrl-S": function () { save(false); },
      "Cmd-S": function () { save(false); }
    },
    hintOptions: { hint: hint, completeSingle: false }
  });
  cm.on("change", markDirty);

  function completeAfter(cm, pred) {
    if (!pred || pred()) setTimeout(function () { if (!cm.state.completionActive) cm.showHint(); }, 50);
    return CodeMirror.Pass;
  }

  // The text goes to the server after a pause in typing (the lint addon's
  // delay); the reply brings the findings, the numeric elements and whether
  // the text runs. A text with errors keeps the last good frame on screen.
  function lintText(text, done, options, editor) {
    request("POST", "/api/text", text).then(function (r) {
      if (!r.ok) return replyMessage(r).then(function (m) { status(m, true); done(editor, []); });
      return r.json().then(function (j) {
        var current = cm.getValue() === text;
        var marks = j.findings.map(function (f) {
          return { from: Pos(f.from.line, f.from.ch), to: Pos(f.to.line, f.to.ch), severity: f.severity, message: f.message };
        });
        listFindings(j.findings);
        if (current) {
          setSystems(j.systems);
          showGood(j.good, j.message, j.revision);
        }
        done(editor, marks);
      });
    }, function () { status("the studio does not answer", true); done(editor, []); });
  }

  function showGood(good, message, revision) {
    S.good = good;
    if (good) {
      S.revision = revision;
      $("hold").hidden = true;
      status("");
    } else {
      $("hold").hidden = false;
      $("hold").textContent = (S.revision ? "Holding the last good frame: " : "Nothing runs yet: ") + message;
    }
  }

  function listFindings(findings) {
    var ul = $("findings");
    ul.textContent = "";
    findings.forEach(function (f) {
      var li = document.createElement("li");
      li.className = f.severity;
      li.textContent = (f.line) + ":" + (f.from.ch + 1) + " " + f.message;
      li.addEventListener("click", function () { cm.focus(); cm.setCursor(Pos(f.from.line, f.from.ch)); });
      ul.appendChild(li);
    });
    var errors = findings.filter(function (f) { return f.severity == "error"; }).length;
    var count = function (n, what) { return n + " " + what + (n == 1 ? "" : "s"); };
    $("findingCount").textContent = findings.length ?
      "(" + count(errors, "error") + ", " + count(findings.length - errors, "warning") + ")" : "(none)";
  }

  // ---------------------------------------------------------------- frames

  var canvas = $("view"), ctx = canvas.getContext("2d");

  function fetchFrame(n, key, s) {
    S.inFlight = true;
    var url = "/api/frame?frame=" + n + "&" + query(s);
    return fetch(url).then(function (r) {
      if (!r.ok) {
        return replyMessage(r).then(function (m) {
          if (r.status != 429) status(m, true);
          S.shownKey = key;  // do not ask again until something changes
        });
      }
      var size = (r.headers.get("X-Size") || "0x0").split("x");
      var live = r.headers.get("X-Live") || "";
      var ms = (r.headers.get("X-Milliseconds") || ",").split(",");
      var frame = +r.headers.get("X-Frame");
      return r.arrayBuffer().then(function (buffer) {
        draw(new Uint8Array(buffer), +size[0], +size[1]);
        S.shown = frame;
        S.shownKey = key;
        $("frameNo").textContent = frame;
        $("live").textContent = live.split(",").map(function (v, i) { return "#" + (i + 1) + " " + v; }).join("  ");
        $("simMs").textContent = (+ms[0]).toFixed(2);
        $("drawMs").textContent = (+ms[1]).toFixed(2);
        if (!S.dragging) $("scrubber").value = frame;
        $("time").textContent = (frame / fps()).toFixed(3) + " s";
        var now = performance.now();
        S.shownTimes.push(now);
        while (S.shownTimes.length > 1 && now - S.shownTimes[0] > 1000) S.shownTimes.shift();
        $("shownFps").textContent = S.shownTimes.length > 1 ?
          ((S.shownTimes.length - 1) * 1000 / (now - S.shownTimes[0])).toFixed(1) : "-";
      });
    }).catch(function () { status("the studio does not answer", true); })
      .then(function () { S.inFlight = false; });
  }

  function draw(rgb, w, h) {
    if (rgb.length != w * h * 3) return;
    if (canvas.width != w || canvas.height != h) { canvas.width = w; canvas.height = h; }
    var image = ctx.createImageData(w, h), px = image.data;
    for (var i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
      px[j] = rgb[i]; px[j + 1] = rgb[i + 1]; px[j + 2] = rgb[i + 2]; px[j + 3] = 255;
    }
    ctx.putImageData(image, 0, 0);
  }

  // Playback: the playhead moves with the clock while playing; the frame
  // under it is asked for whenever none is on its way.
  function tick(now) {
    requestAnimationFrame(tick);
    var dt = S.lastTick ? Math.min(0.25, (now - S.lastTick) / 1000) : 0;
    S.lastTick = now;
    var count = frameCount();
    if (S.playing && S.good && !S.dragging) {
      S.playhead += dt;
      S.target = 1 + Math.floor(S.playhead * fps()) % count;
    }
    S.target = Math.min(Math.max(1, S.target), count);
    if (S.inFlight || !S.good || S.revision == 0) return;
    var s = settings();
    var key = query(s) + "&r=" + S.revision;
    if (S.target != S.shown || key != S.shownKey) fetchFrame(S.target, key, s);
  }

  function setPlaying(on) {
    S.playing = on;
    S.playhead = (S.target - 1) / fps();
    $("play").textContent = on ? "Pause" : "Play";
  }

  $("play").addEventListener("click", function () { setPlaying(!S.playing); });
  $("step").addEventListener("click", function () {
    setPlaying(false);
    S.target = S.shown >= frameCount() ? 1 : S.shown + 1;
  });
  $("scrubber").addEventListener("input", function () {
    S.target = +$("scrubber").value;
    S.playhead = (S.target - 1) / fps();
  });
  ["seed", "fps", "frames", "size", "azimuth", "elevation"].forEach(function (id) {
    $(id).addEventListener("change", function () {
      $("scrubber").max = frameCount();
      $("frameCount").textContent = frameCount();
      S.playhead = (S.target - 1) / fps();
    });
  });
  document.addEventListener("keydown", function (e) {
    if (e.key == " " && !cm.hasFocus() && !/INPUT|SELECT|BUTTON/.test(document.activeElement.tagName)) {
      e.preventDefault();
      setPlaying(!S.playing);
    }
  });

  // Dragging the view turns the camera: sideways the azimuth, up and down
  // the elevation.
  canvas.addEventListener("pointerdown", function (e) {
    S.drag = { x: e.clientX, y: e.clientY, az: +$("azimuth").value, el: +$("elevation").value };
    canvas.setPointerCapture(e.pointerId);
    canvas.classList.add("dragging");
  });
  canvas.addEventListener("pointermove", function (e) {
    if (!S.drag) return;
    var az = S.drag.az - (e.clientX - S.drag.x) * 0.5;
    var el = Math.max(-89, Math.min(89, S.drag.el + (e.clientY - S.drag.y) * 0.5));
    $("azimuth").value = Math.round(az * 10) / 10;
    $("elevation").value = Math.round(el * 10) / 10;
  });
  function endDrag() { S.drag = null; canvas.classList.remove("dragging"); }
  canvas.addEventListener("pointerup", endDrag);
  canvas.addEventListener("pointercancel", endDrag);

  // ---------------------------------------------------------------- controls

  // Fields come as text ranges of the text that was sent; markers keep them
  // in place while the text changes around them.
  function setSystems(systems) {
    S.systems.forEach(function (sys) { sys.fields.forEach(function (f) { if (f.marker) f.marker.clear(); }); });
    systems.forEach(function (sys) {
      sys.fields.forEach(function (f) {
        f.marker = cm.markText(Pos(f.from.line, f.from.ch), Pos(f.to.line, f.to.ch),
          { inclusiveLeft: true, inclusiveRight: true, clearWhenEmpty: false });
      });
    });
    var shape = function (list) { return list.map(function (s) { return s.fields.map(function (f) { return f.path; }).join(); }).join("|"); };
    var same = shape(systems) == shape(S.systems);
    S.systems = systems;
    if (!same) buildControls();
    else updateControls();
  }

  function buildControls() {
    var select = $("system");
    select.textContent = "";
    S.systems.forEach(function (sys, i) {
      var o = document.createElement("option");
      o.value = i;
      o.textContent = "system " + (i + 1) + " (line " + (sys.line + 1) + ")";
      select.appendChild(o);
    });
    if (S.system >= S.systems.length) S.system = 0;
    select.value = S.system;
    var box = $("fields");
    box.textContent = "";
    var sys = S.systems[S.system];
    if (!sys) return;
    sys.fields.forEach(function (f, k) {
      var label = document.createElement("label");
      label.textContent = f.path;
      label.title = f.path + (f.typeWord ? " (" + f.typeWord + ")" : "");
      var slider = document.createElement("input");
      slider.type = "range";
      var number = document.createElement("input");
      number.type = "number";
      number.step = f.whole ? "1" : "any";
      slider.dataset.field = number.dataset.field = k;
      var value = parseFloat(f.text);
      setRange(slider, f, isFinite(value) ? value : 0);
      number.value = f.text.trim();
      slider.addEventListener("input", function () { number.value = slider.value; writeField(k, slider.value); });
      number.addEventListener("input", function () { if (number.value !== "" && isFinite(+number.value)) writeField(k, number.value); });
      number.addEventListener("change", function () { setRange(slider, S.systems[S.system].fields[k], +number.value); });
      box.appendChild(label);
      box.appendChild(slider);
      box.appendChild(number);
    });
  }

  function updateControls() {
    var sys = S.systems[S.system];
    if (!sys) return;
    var inputs = $("fields").querySelectorAll("input[type=number]");
    sys.fields.forEach(function (f, k) {
      if (inputs[k] && document.activeElement !== inputs[k] && !S.sliding) inputs[k].value = f.text.trim();
    });
  }

  // The slider spans the accepted range where the description gives one
  // that is finite, else a range around the value.
  function setRange(slider, f, value) {
    var r = describedRange(f);
    var span = Math.max(1, Math.abs(value) * 2);
    var lo = r && isFinite(r.min) ? r.min : (value >= 0 ? 0 : -span);
    var hi = r && isFinite(r.max) ? r.max : span;
    if (r && isFinite(r.min) && !isFinite(r.max)) hi = Math.max(lo + 1, Math.abs(value) * 2);
    if (r && !isFinite(r.min) && isFinite(r.max)) lo = Math.min(hi - 1, -Math.abs(value) * 2);
    slider.min = Math.min(lo, value);
    slider.max = Math.max(hi, value);
    slider.step = f.whole ? 1 : (slider.max - slider.min) / 1000;
    slider.value = value;
  }

  // Replaces only the element's text, as one edit the editor can undo
  // (moves of one slider merge into one undo step).
  function writeField(k, value) {
    var f = S.systems[S.system] && S.systems[S.system].fields[k];
    var range = f && f.marker && f.marker.find();
    if (!range) return;
    var v = +value;
    var text = f.whole ? String(Math.round(v)) : String(Math.round(v * 1e6) / 1e6);
    if (cm.getRange(range.from, range.to) === text) return;
    cm.replaceRange(text, range.from, range.to, "+studio-control");
    f.text = text;
  }

  $("system").addEventListener("change", function () { S.system = +$("system").value; buildControls(); });
  $("fields").addEventListener("pointerdown", function () { S.sliding = true; });
  document.addEventListener("pointerup", function () { S.sliding = false; });

  // ---------------------------------------------------------------- disk

  function loadDocument(replace) {
    return fetch("/api/document").then(function (r) { return r.json(); }).then(function (d) {
      $("file").textContent = d.name;
      $("file").title = d.path;
      S.base = d.version;
      S.changes = d.changes;
      S.loaded = d.text;
      if (replace) replaceText(d.text);
      else { cm.setValue(d.text); cm.clearHistory(); }
      markDirty();
      $("banner").hidden = true;
      cm.performLint();
    });
  }

  // Puts text in the editor as one edit of the part that differs, so that
  // the cursor stays where it was and undo brings the old text back.
  function replaceText(text) {
    var old = cm.getValue();
    if (old === text) return;
    var start = 0, endOld = old.length, endNew = text.length;
    while (start < endOld && start < endNew && old[start] === text[start]) start++;
    while (endOld > start && endNew > start && old[endOld - 1] === text[endNew - 1]) { endOld--; endNew--; }
    cm.replaceRange(text.slice(start, endNew), cm.posFromIndex(start), cm.posFromIndex(endOld), "disk");
  }

  // A save elsewhere: an editor holding no unsaved text follows it; one that
  // does asks first.
  function diskChanged(version) {
    // The answer to a save of ours may come after the watch has seen it.
    if (S.saving) { S.pendingDisk = version; return; }
    if (version === S.base) return;
    if (cm.getValue() === S.loaded) {
      loadDocument(true);
      return;
    }
    banner("The file changed on disk. Your text here is not saved.");
  }

  function banner(text) {
    $("bannerText").textContent = text;
    $("banner").hidden = false;
  }

  function watch() {
    fetch("/api/watch?since=" + S.changes).then(function (r) {
      if (!r.ok) throw new Error(r.statusText);
      return r.json();
    }).then(function (j) {
      if (j.changes != S.changes) {
        S.changes = j.changes;
        diskChanged(j.version);
      }
      watch();
    }).catch(function () { setTimeout(watch, 1000); });
  }

  function save(force) {
    var text = cm.getValue();
    S.saving = true;
    return request("POST", "/api/save?base=" + encodeURIComponent(S.base) + (force ? "&force=1" : ""), text)
      .then(function (r) {
        return r.json().then(function (j) {
          if (r.ok) {
            S.base = j.version;
            S.loaded = text;
            markDirty();
            $("banner").hidden = true;
            status("saved " + j.path + " (" + j.bytes + " bytes)");
          } else if (r.status == 409) {
            banner("Not saved: " + j.message + ".");
          } else {
            status("not saved: " + j.message, true);
          }
        });
      }, function () { status("not saved: the studio does not answer", true); })
      .then(function () {
        S.saving = false;
        if (S.pendingDisk) { var v = S.pendingDisk; S.pendingDisk = null; diskChanged(v); }
      });
  }

  $("save").addEventListener("click", function () { save(false); });
  $("loadDisk").addEventListener("click", function () { loadDocument(true); });
  $("overwrite").addEventListener("click", function () { save(true); });
  $("keep").addEventListener("click", function () { $("banner").hidden = true; });
  window.addEventListener("beforeunload", function (e) {
    if (cm.getValue() !== S.loaded) { e.preventDefault(); e.returnValue = ""; }
  });

  // ---------------------------------------------------------------- export

  Array.prototype.forEach.call(document.querySelectorAll("#export button"), function (b) {
    b.addEventListener("click", function () {
      if (!S.good) {
        $("exported").textContent = "not written: mend the errors first (the export is of the text in the editor)";
        return;
      }
      $("exported").textContent = "writing " + b.textContent + "...";
      request("POST", "/api/export?format=" + b.dataset.format + "&" + query(settings())).then(function (r) {
        return r.json().then(function (j) {
          $("exported").textContent = r.ok ?
            "wrote " + j.path + " (" + j.frames + " frames, " + Math.round(j.bytes / 1024) + " KiB, " + j.milliseconds + " ms)" :
            "not written: " + j.message;
        });
      }, function () { $("exported").textContent = "not written: the studio does not answer"; });
    });
  });

  // ---------------------------------------------------------------- reference

  // The description of the document (the same one `nbparticle explain`
  // prints): element names and type words for completion, in the order the
  // readers accept them, the texts shown on hover and the sliders' spans.

  // The elements open at index, outermost first, each with where it starts,
  // and the name of the last child closed inside the innermost one.
  function openElements(text, index) {
    var stack = [], last = null, m;
    var re = /<!--[\s\S]*?(?:-->|$)|<!\[CDATA\[[\s\S]*?(?:\]\]>|$)|<[?!][^>]*>?|<(\/?)([A-Za-z_][\w:.\-]*)[^>]*?(\/?)>/g;
    var head = text.slice(0, index);
    while ((m = re.exec(head))) {
      if (!m[2]) continue;
      if (m[1]) {
        while (stack.length && stack[stack.length - 1].name != m[2]) stack.pop();
        if (stack.length) { stack.pop(); last = m[2]; }
      } else if (m[3]) {
        last = m[2];
      } else {
        stack.push({ name: m[2], start: m.index });
        last = null;
      }
    }
    return { stack: stack, last: last };
  }

  // The type word a strategy element names in its type element.
  function typeWord(text, start, typeElement) {
    var re = new RegExp("<" + typeElement.replace(/[.:]/g, "\\$&") + "\\s*>\\s*([^<\\s]*)");
    var m = re.exec(text.slice(start, start + 2000));
    return m ? m[1] : "";
  }

  // A strategy stands for the class its type word names, when it names one.
  function expand(node, text, start) {
    if (node && node.value == "strategy" && node.variants) {
      var word = typeWord(text, start, node.typeElement);
      if (node.variants[word]) return node.variants[word];
    }
    return node;
  }

  function childNamed(node, name) {
    var list = (node && node.children) || [];
    for (var i = 0; i < list.length; i++) {
      var c = list[i];
      if (c.name == name || (c.value == "components" && (c.components || []).indexOf(name) >= 0)) return c;
    }
    return null;
  }

  // The description of the elements open at index (and of name, opened
  // there), or null.
  function describe(text, stack, name) {
    var root = S.reference && S.reference.root;
    var names = stack.map(function (e) { return e.name; }).concat(name ? [name] : []);
    if (!root || names[0] != root.name) return null;
    var node = root;
    for (var i = 1; i < names.length; i++) {
      // A vector's or colour's components are described by it.
      if ((node.value == "vector" || node.value == "color") && (node.components || []).indexOf(names[i]) >= 0) continue;
      var next = childNamed(node.value == "strategy" ? expand(node, text, stack[i - 1].start) : node, names[i]);
      if (!next) return null;
      node = next;
    }
    return node.value == "strategy" && stack.length >= names.length ? expand(node, text, stack[names.length - 1].start) : node;
  }

  function describedRange(f) {
    var names = ["ParticleSystem"].concat(f.path.split("/"));
    var root = S.reference && S.reference.root;
    var node = root && childNamed(root, names[0]);
    for (var i = 1; node && i < names.length; i++) {
      if ((node.value == "vector" || node.value == "color") && (node.components || []).indexOf(names[i]) >= 0) break;
      if (node.value == "strategy" && node.variants) {
        var variants = node.variants, name = names[i];
        node = variants[f.typeWord] || Object.keys(variants).map(function (w) { return variants[w]; })
          .filter(function (v) { return childNamed(v, name); })[0] || node;
      }
      node = childNamed(node, names[i]);
    }
    if (!node) return null;
    var r = { min: -Infinity, max: Infinity };
    if (/^0 to 1/.test(node.unit || "")) { r.min = 0; r.max = 1; }
    else if (/^degrees$/.test(node.unit || "")) { r.min = 0; r.max = /Theta/.test(node.name) ? 180 : 360; }
    else if (/^(Greater than|At least) 0\b/.test(node.range || "")) r.min = 0;
    return r;
  }

  // Completion: the children that may follow where the cursor is, in the
  // order the readers accept them, or the type words of a type element.
  function hint(cm, options) {
    var cur = cm.getCursor(), text = cm.getValue(), index = cm.indexFromPos(cur);
    var open = openElements(text, index);
    var token = cm.getTokenAt(cur);
    var inTag = /\btag\b/.test(token.type || "") || /<\/?[\w:.\-]*$/.test(cm.getLine(cur.line).slice(0, cur.ch));
    var node = describe(text, open.stack, null);
    if (!inTag && node && node.value == "tag" && node.words) {
      var line = cm.getLine(cur.line), from = cur.ch;
      while (from > 0 && /\w/.test(line[from - 1])) from--;
      var prefix = line.slice(from, cur.ch);
      return { list: node.words.filter(function (w) { return w.indexOf(prefix) == 0; }), from: Pos(cur.line, from), to: cur };
    }
    var schema = { "!top": S.reference ? [S.reference.root.name] : [] };
    var inner = open.stack.length ? open.stack[open.stack.length - 1].name : null;
    if (inner && node) {
      var children = [];
      var target = node.value == "strategy" ? expand(node, text, open.stack[open.stack.length - 1].start) : node;
      if (target.value == "strategy") {
        children.push(target.typeElement);
        Object.keys(target.variants).forEach(function (w) {
          target.variants[w].children.forEach(function (c) { if (children.indexOf(c.name) < 0) children.push(c.name); });
        });
      } else if (target.value == "vector" || target.value == "color") {
        children = (target.components || []).slice();
      } else {
        (target.children || []).forEach(function (c) {
          (c.value == "components" ? c.components : [c.name]).forEach(function (n) { children.push(n); });
        });
      }
      // Only what may come after the last child: the readers do not look back.
      var at = open.last ? children.indexOf(open.last) : -1;
      var repeated = at >= 0 && target.children && target.children.some(function (c) { return c.name == open.last && c.repeated; });
      schema[inner] = { children: at >= 0 ? children.slice(repeated ? at : at + 1) : children };
    }
    return CodeMirror.hint.xml(cm, { schemaInfo: schema, completeSingle: false });
  }

  // Hovering an element (its tags or its text) shows what it means.
  var tip = $("tip");
  cm.getWrapperElement().addEventListener("mousemove", function (e) {
    if (e.target.closest && e.target.closest(".CodeMirror-lint-mark, .CodeMirror-lint-marker")) { tip.hidden = true; return; }
    var pos = cm.coordsChar({ left: e.clientX, top: e.clientY }, "window");
    var token = cm.getTokenAt(pos, true);
    var node = null;
    if (token && token.string.trim() && S.reference) {
      var text = cm.getValue();
      var start = cm.indexFromPos(Pos(pos.line, token.start));
      var before = cm.getLine(pos.line).slice(Math.max(0, token.start - 2), token.start);
      if (/\btag\b/.test(token.type || "") && /^[\w:]/.test(token.string)) {
        var closing = /<\/$/.test(before);
        var open = openElements(text, start - (closing ? 2 : 1));
        node = closing ? describe(text, open.stack, null) : describe(text, open.stack.concat([{ name: token.string, start: start - 1 }]), null);
      } else if (!token.type) {
        node = describe(text, openElements(text, start).stack, null);
      }
    }
    if (!node || !node.explain) { tip.hidden = true; return; }
    tip.textContent = node.explain;
    tip.hidden = false;
    var x = Math.min(e.clientX + 16, window.innerWidth - tip.offsetWidth - 8);
    var y = e.clientY + 18 + tip.offsetHeight > window.innerHeight ? e.clientY - tip.offsetHeight - 10 : e.clientY + 18;
    tip.style.left = Math.max(4, x) + "px";
    tip.style.top = Math.max(4, y) + "px";
  });
  cm.getWrapperElement().addEventListener("mouseleave", function () { tip.hidden = true; });

  // ---------------------------------------------------------------- start

  $("frameCount").textContent = frameCount();
  $("scrubber").max = frameCount();
  fetch("/api/reference").then(function (r) { return r.json(); }).then(function (j) {
    S.reference = j;
    if (S.systems.length) buildControls();
  });
  loadDocument(false).then(function () {
    watch();
    requestAnimationFrame(tick);
  }, function () { status("the studio does not answer", true); });

  window.studio = { editor: cm, state: S };
})();
