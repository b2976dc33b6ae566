// The menu bar's entries that belong to the editor: the application asks for
// their titles and state just before a menu opens, and reports choices.
(function () {
  var state = { dirty: false, undo: [], redo: [], zoom: 100 };
  var titles = {
    file: 'File', view: 'View', help: 'Help', preferences: 'Preferences…', newProject: 'New Project',
    saveProject: 'Save Project', exportProject: 'Export Project…', signIn: 'Sign In…', undo: 'Undo', redo: 'Redo',
    zoomIn: 'Zoom In', zoomOut: 'Zoom Out', debugTools: 'Debug Tools', helpCenter: 'Help Centre'
  };
  var status = document.createElement('p');

  function show() {
    status.textContent = 'Project ' + (state.dirty ? 'has unsaved changes' : 'is saved') + ' · undo ' +
      state.undo.length + ' · redo ' + state.redo.length + ' · zoom ' + state.zoom + '%';
  }

  function edit(what) {
    state.undo.push(what);
    state.redo = [];
    state.dirty = true;
    show();
  }

  var actions = {
    newProject: function () { state = { dirty: false, undo: [], redo: [], zoom: 100 }; },
    saveProject: function () { state.dirty = false; },
    undo: function () { state.redo.push(state.undo.pop()); state.dirty = true; },
    redo: function () { state.undo.push(state.redo.pop()); state.dirty = true; },
    zoomIn: function () { state.zoom = Math.min(400, state.zoom + 25); },
    zoomOut: function () { state.zoom = Math.max(25, state.zoom - 25); },
    signIn: function () { window.demo.signIn(); }
  };
  var enabled = {
    saveProject: function () { return state.dirty; },
    undo: function () { return state.undo.length > 0; },
    redo: function () { return state.redo.length > 0; },
    zoomIn: function () { return state.zoom < 400; },
    zoomOut: function () { return state.zoom > 25; }
  };

  window.ovl = window.ovl || {};
  window.ovl.osx = window.ovl.osx || {};
  window.ovl.osx.menu = {
    action: function (id) {
      demo.log('menu: ' + id);
      if (actions[id]) actions[id]();
      show();
    },
    // Answers as JSON text: a title, and whether the entry can be chosen.
    itemProperties: function (id) {
      var answer = { title: titles[id] || id };
      if (enabled[id]) answer.enabled = enabled[id]();
      if (id === 'undo' && state.undo.length) answer.title = 'Undo ' + state.undo[state.undo.length - 1];
      if (id === 'redo' && state.redo.length) answer.title = 'Redo ' + state.redo[state.redo.length - 1];
      return JSON.stringify(answer);
    }
  };

  demo.addPanel('Menu', [
    { label: 'add a photo', run: function () { edit('Add Photo'); } },
    { label: 'rotate a photo', run: function () { edit('Rotate'); } },
    { label: 'add text', run: function () { edit('Add Text'); } }
  ]);
  document.getElementById('panels').lastElementChild.previousElementSibling.appendChild(status);
  show();
})();
