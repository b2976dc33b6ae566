// "webview": a sign-in page of the service in a modal window. It ends when
// the service sends the browser to its "signed in" address.
(function () {
  // The service's pages are served here too, under another host name, so
  // the page's cookies reach them only by being copied.
  var service = 'http://127.0.0.1:' + location.port + '/_webapp/service/';

  function open(page, pattern) {
    demo.call('webview', 'open', { url: service + page, regex: pattern, width: 560, height: 480 });
  }

  window.demo.signIn = function () {
    document.cookie = 'demo-session=' + Date.now() + '; path=/';
    open('signin.html', 'signed-in\\.html');
  };

  demo.addPanel('Sign-in window', [
    { label: 'sign in', run: window.demo.signIn },
    { label: 'page that is missing (404)', run: function () { open('missing.html', 'never'); } },
    { label: 'bad pattern', run: function () { open('signin.html', '(unclosed'); } },
    { label: 'close it', run: function () { demo.call('webview', 'close'); } }
  ]);
})();
