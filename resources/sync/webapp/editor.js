// The demo editor: one panel per native service, each calling the bridge and
// showing the answers. Panels register themselves with addPanel().
(function () {
  'use strict';

  var panels = document.getElementById('panels');

  function show(output, label, value) {
    output.textContent = label + ': ' + JSON.stringify(value, null, 1) + '\n' + output.textContent;
  }

  window.demo = {
    addPanel: function (title, buttons) {
      var section = document.createElement('section');
      var heading = document.createElement('h2');
      heading.textContent = title;
      section.appendChild(heading);
      var output = document.createElement('pre');
      buttons.forEach(function (button) {
        var element = document.createElement('button');
        element.textContent = button.label;
        element.addEventListener('click', function () {
          button.run(function (label, value) { show(output, label, value); });
        });
        section.appendChild(element);
      });
      section.appendChild(output);
      panels.appendChild(section);
    }
  };

  var status = document.getElementById('bridge-status');
  if (window._osx && window.webkit && window.webkit.messageHandlers) {
    status.textContent = 'Native bridge ready (' + Object.keys(window._osx).join(', ') + ')';
  } else {
    status.textContent = 'No native bridge: open this page in Atelier.';
  }
})();
