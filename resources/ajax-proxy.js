// Sends the page's requests to remote https services through the native
// proxy: https://HOST/PATH becomes <__tzr_proxy_url>HOST/PATH. Cookies and
// cross-origin rules are then handled natively.
(function () {
  'use strict';

  var proxy = window.__tzr_proxy_url;
  if (!proxy) return;

  function proxied(url) {
    if (typeof url !== 'string') {
      if (url && typeof url.href === 'string') url = url.href;
      else return url;
    }
    return /^https:\/\//i.test(url) ? proxy + url.slice('https://'.length) : url;
  }

  var nativeFetch = window.fetch;
  if (nativeFetch) {
    window.fetch = function (input, init) {
      if (typeof Request !== 'undefined' && input instanceof Request) {
        var target = proxied(input.url);
        if (target !== input.url) input = new Request(target, input);
        return nativeFetch.call(this, input, init);
      }
      return nativeFetch.call(this, proxied(input), init);
    };
  }

  var nativeOpen = XMLHttpRequest.prototype.open;
  XMLHttpRequest.prototype.open = function (method, url) {
    var args = Array.prototype.slice.call(arguments);
    args[1] = proxied(url);
    return nativeOpen.apply(this, args);
  };
})();
