// The page-side bridge wrapper against a recording message handler.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

function loadPage() {
  const posted = [];
  const window = { webkit: { messageHandlers: { allMessages: { postMessage: (m) => posted.push(m) } } } };
  window.window = window;
  const context = vm.createContext(window);
  const file = path.join(process.env.ATELIER_RESOURCES, 'objects.js');
  vm.runInContext(fs.readFileSync(file, 'utf8'), context);
  return { window, posted };
}

test('every web object of the registry is reachable', () => {
  const { window } = loadPage();
  for (const name of ['general', 'picture', 'project', 'file', 'text', 'webview', 'notifications', 'update',
                      'orientation']) {
    assert.strictEqual(typeof window._osx[name].anything, 'function', name);
  }
  assert.strictEqual(window._osx.general.then, undefined);
});

test('a call posts one message with JSON parameters and unquoted ids', () => {
  const { window, posted } = loadPage();
  const seen = [];
  window._osx.picture.loadScaledImage({ id: 'a/b', max: 400 }, (v) => seen.push(['ok', v]),
    (e) => seen.push(['fail', e]), (x) => seen.push(['extra', x]));
  window._osx.text.fontList('abc', () => {});
  window._osx.general.webViewDidInit(undefined, () => {});

  assert.strictEqual(posted.length, 3);
  const [first, second, third] = posted;
  assert.strictEqual(first.name, 'picture.loadScaledImage');
  assert.strictEqual(first.parameters, '{"id":"a/b","max":400}');
  assert.strictEqual(second.parameters, '"abc"');
  assert.ok(!('parameters' in third) && !('failure' in third) && !('extraCallback' in third));
  const ids = [first.success, first.failure, first.extraCallback];
  assert.strictEqual(new Set(ids).size, 3);
  for (const id of ids) assert.match(id, /^[^"'\\]+$/);

  window.__bridge.callBackWithID(first.extraCallback, 0.5);
  window.__bridge.callBackWithID(first.success, [1]);
  window.__bridge.callBackWithID(first.success, [2]);
  window.__bridge.callBackWithID(first.failure, 12);
  window.__bridge.removeCallBackWithID(first.success);
  window.__bridge.callBackWithID(first.success, [3]);
  window.__bridge.callBackWithID('unknown-id', 1);
  assert.deepStrictEqual(seen, [['extra', 0.5], ['ok', [1]], ['ok', [2]], ['fail', 12]]);
});

test('without handlers a call returns a promise', async () => {
  const { window, posted } = loadPage();
  const ok = window._osx.general.getSetting('TzEnableDebugging');
  const fails = window._osx.file.readFile({ path: 'x' });
  window.__bridge.callBackWithID(posted[0].success, true);
  window.__bridge.callBackWithID(posted[1].failure, 100);
  assert.strictEqual(await ok, true);
  await assert.rejects(fails, (code) => code === 100);
});
