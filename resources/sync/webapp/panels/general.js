// "general" and "notifications": log, notify, links, settings, quitting.
(function () {
  // The application asks before quitting; the page answers here.
  window._osx.general.addCloseRequestHandler(undefined,
    function (id) { demo.log('close handler registered: ' + id); },
    function (code) { demo.log('close handler failed: ' + code); },
    function () {
      if (window.confirm('Quit Atelier?')) window._osx.general.closeApplication();
    });

  // Reachability changes arrive under the legacy name the networking code uses.
  window._osx.notifications.registerCallback('networkReachabilityDidChange',
    function (name) { demo.log('notification: ' + name); }, function () {});

  function notify(type) {
    demo.call('general', 'showNotification', { message: 'A ' + type + ' from the demo editor', duration: 2, type: type });
  }

  demo.addPanel('General', [
    { label: 'log', run: function () { demo.call('general', 'log', 'Hello from the page'); } },
    { label: 'toast', run: function () { notify('toast'); } },
    { label: 'banner', run: function () { notify('banner'); } },
    { label: 'badge 3', run: function () {
      demo.call('general', 'showNotification', { message: '3', duration: 0, type: 'badge' });
    } },
    { label: 'open link', run: function () { demo.call('general', 'openInSystemBrowser', 'https://www.debian.org/'); } },
    { label: 'debug mode?', run: function () { demo.call('general', 'isInDebugMode'); } },
    { label: 'progress 2 s', run: function () {
      demo.call('general', 'showModal', 'Preparing your photo book…');
      setTimeout(function () { demo.call('general', 'hideModal'); }, 2000);
    } },
    { label: 'print', run: function () { window.print(); } },
    { label: 'quit (asks first)', run: function () { demo.call('general', 'closeApplication'); } }
  ]);

  // Ready: the native side refreshes its values and builds its menu now.
  window._osx.general.webViewDidInit(undefined, function () {}, function () {});
})();
