// "orientation": answered as not available on the desktop.
demo.addPanel('Orientation', [
  { label: 'lock portrait', run: function () { demo.call('orientation', 'lock', 'portrait'); } },
  { label: 'unlock', run: function () { demo.call('orientation', 'unlock'); } },
  { label: 'type', run: function () { demo.call('orientation', 'type'); } },
  { label: 'unknown function', run: function () { demo.call('orientation', 'spin'); } }
]);
