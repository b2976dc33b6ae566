// The demo editor: the injected values, the connection state, a log of every
// bridge answer, and one panel per native service (panels/*.js register
// themselves with demo.addPanel).
(function () {
  'use strict';

  var log = document.getElementById('bridge-log');

  function write(line) {
    var stamp = new Date().toISOString().slice(11, 23);
    log.textContent = stamp + '  ' + line + '\n' + log.textContent;
  }

  function describe(value) {
    return value === undefined ? '(nothing)' : JSON.stringify(value);
  }

  // Calls <object>.<fn> and logs every answer it gets.
  function call(object, fn, parameters) {
    var name = object + '.' + fn;
    write('→ ' + name + (parameters === undefined ? '' : ' ' + describe(parameters)));
    window._osx[object][fn](parameters,
      function (value) { write('← ' + name + ' success ' + describe(value)); },
      function (code) { write('← ' + name + ' failure ' + describe(code)); },
      function (extra) { write('← ' + name + ' extra ' + describe(extra)); });
  }

  function showValues() {
    var table = document.getElementById('values');
    table.innerHTML = '';
    ['shortVersion', 'buildNumber', 'os', 'locale', 'getProxyURL', 'isNetworkReachable', 'connectionType',
     'currentTimeStamp', 'canReadWriteProjectExports', 'canReadWriteTalvoProjectExports'].forEach(function (key) {
      var row = table.insertRow();
      row.insertCell().textContent = key;
      row.insertCell().textContent = describe(window.__bridge && window.__bridge[key]);
    });
    var connection = document.getElementById('connection');
    if (window.__bridge) {
      connection.textContent = 'Network: ' + (__bridge.isNetworkReachable ? 'reachable' : 'not reachable') +
        ' (' + __bridge.connectionType + ')';
    }
  }

  var panels = document.getElementById('panels');
  window.demo = {
    call: call,
    log: write,
    addPanel: function (title, buttons) {
      var section = document.createElement('section');
      var heading = document.createElement('h2');
      heading.textContent = title;
      section.appendChild(heading);
      buttons.forEach(function (button) {
        var element = document.createElement('button');
        element.textContent = button.label;
        element.addEventListener('click', button.run);
        section.appendChild(element);
      });
      panels.insertBefore(section, panels.lastElementChild);
    }
  };

  var status = document.getElementById('bridge-status');
  if (window._osx && window.webkit && window.webkit.messageHandlers) {
    status.textContent = 'Native bridge ready: ' + Object.keys(window._osx).join(', ');
  } else {
    status.textContent = 'No native bridge: open this page in Atelier.';
  }
  showValues();
  // Kept-current values are refreshed by native code; show them as they change.
  setInterval(showValues, 2000);
})();
