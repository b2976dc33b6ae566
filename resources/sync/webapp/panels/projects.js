// "container.projects": the user's project files, through the native proxy
// (https addresses go to __tzr_proxy_url; this host never leaves the machine).
(function () {
  var base = 'https://container.projects/demo/';

  function request(method, path, body) {
    demo.log('→ ' + method + ' ' + base + path);
    return fetch(base + path, { method: method, body: body })
      .then(function (response) {
        return response.text().then(function (text) {
          demo.log('← ' + response.status + ' ' + text);
        });
      })
      .catch(function (error) { demo.log('← failed: ' + error); });
  }

  demo.addPanel('Projects (container.projects)', [
    { label: 'list', run: function () { request('GET', ''); } },
    { label: 'save sample.tzp', run: function () {
      request('POST', 'sample.tzp?overwrite=true', JSON.stringify({ saved: new Date().toISOString() }));
    } },
    { label: 'read sample.tzp', run: function () { request('GET', 'sample.tzp'); } },
    { label: 'rename to renamed.tzp', run: function () { request('POST', 'sample.tzp?rename=demo/renamed.tzp'); } },
    { label: 'delete renamed.tzp', run: function () { request('DELETE', 'renamed.tzp'); } },
    { label: 'remote request (ajax proxy)', run: function () {
      demo.log('→ GET https://example.com/ through ' + window.__tzr_proxy_url);
      fetch('https://example.com/').then(function (response) {
        demo.log('← ' + response.status + ' ' + response.statusText);
      }).catch(function (error) { demo.log('← failed: ' + error); });
    } },
    { label: 'bundled data (_data)', run: function () {
      fetch('/_data/app/index.json').then(function (response) { return response.text(); })
        .then(function (text) { demo.log('← _data/app/index.json ' + text); });
    } }
  ]);
})();
